#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/program.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamsor"));
    tamsor::app::Program::install_wait_pump();

    int code = 0;
    {
        tamsor::app::Program program(tamsor::ForumHosts{TAMSOR_ACCOUNT_HOST, TAMSOR_FORUM_HOST});
        code = program.run();
    }
    // Profile or directory workers may still wait on the network; they are never joined, so the
    // process ends without running the destructors they could race with.
    std::fflush(nullptr);
    std::_Exit(code);
}
