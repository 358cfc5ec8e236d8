// Draws the program's icon into an icon theme folder at every size the program carries:
// tamsor-render-icons <folder> writes <folder>/<N>x<N>/apps/tamsor.png. The build runs it, so the
// installed icons are the ones the windows show, drawn by the same code.
#include <QDir>
#include <QString>

#include <cstdio>

#include "ui/artwork.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tamsor-render-icons <folder>\n");
        return 2;
    }
    const QDir theme(QString::fromLocal8Bit(argv[1]));
    for (const int side : tamsor::ui::icon_sides) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(side);
        const QString file = theme.filePath(folder + QStringLiteral("/tamsor.png"));
        if (!theme.mkpath(folder) || !tamsor::ui::icon_image(side).save(file, "PNG")) {
            std::fprintf(stderr, "tamsor-render-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
