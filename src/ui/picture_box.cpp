#include "ui/picture_box.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include "media/picture_ends.h"

namespace tamsor::ui {
namespace {

// The formats forum pictures come in. The toolkit reads more (icons, cursors and the text
// formats XPM, XBM and PBM among them), each one more decoder for a stranger's bytes to reach;
// the format is told from the bytes, whatever the address or the answer's type says.
bool is_forum_picture_format(const QByteArray& format) {
    return format == "png" || format == "jpeg" || format == "gif" || format == "bmp";
}

}  // namespace

QImage decode_picture(const std::string& bytes, QSize bound) {
    if (bytes.empty()) {
        return {};
    }
    if (!picture_arrived_whole(bytes)) {
        return {};
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!is_forum_picture_format(reader.format())) {
        return {};
    }
    // Formats that do not declare their size up front are still held to the same bound.
    QImageReader::setAllocationLimit(int(max_picture_pixels * 4 / (1024 * 1024)) + 1);
    QSize declared = reader.size();
    if (declared.isValid()) {
        bool too_big = declared.width() > max_picture_side ||
                       declared.height() > max_picture_side ||
                       qint64(declared.width()) * declared.height() > max_picture_pixels;
        if (too_big) {
            return {};
        }
        if (declared != declared.boundedTo(bound)) {
            reader.setScaledSize(declared.boundedTo(bound));
        }
    }
    QImage image;
    if (!reader.read(&image)) {
        return {};
    }
    // A picture that did not declare its size is scaled here, once it is known.
    if (image.size() != image.size().boundedTo(bound)) {
        image = image.scaled(image.size().boundedTo(bound), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    }
    return image;
}

PictureBox::PictureBox(QWidget* parent, const QString& name, const QRect& place, Fit fit,
                       const QString& accessible_name)
    : QWidget(parent), fit_(fit) {
    setObjectName(name);
    setAccessibleName(accessible_name);
    setGeometry(place);
}

void PictureBox::set_border(bool on) {
    border_ = on;
    update();
}

void PictureBox::set_background(const QColor& colour) {
    background_ = colour;
    update();
}

void PictureBox::set_picture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void PictureBox::set_picture_bytes(const std::string& bytes) {
    picture_ = QPixmap();  // the old picture goes before the new one is read
    QImage image = decode_picture(bytes, kept_size_.isValid() ? kept_size_ : size() * 2);
    // The pixmap takes the image's pixels over where it can, so the two are not kept side by
    // side.
    set_picture(image.isNull() ? QPixmap() : QPixmap::fromImage(std::move(image)));
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (background_.isValid()) {
        painter.fillRect(rect(), background_);
    }
    if (!picture_.isNull()) {
        if (fit_ == Fit::stretch) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawPixmap(rect(), picture_);
        } else {
            painter.drawPixmap(0, 0, picture_);
        }
    }
    if (border_) {
        // Four one-pixel strips rather than a stroked rectangle: a pen is centred on its line, so
        // at two device pixels per pixel its outer half would fall off the top and left edges.
        const QColor ink(100, 100, 100);
        const int w = width(), h = height();
        for (const QRect& strip : {QRect(0, 0, w, 1), QRect(0, h - 1, w, 1), QRect(0, 1, 1, h - 2),
                                   QRect(w - 1, 1, 1, h - 2)}) {
            painter.fillRect(strip, ink);
        }
    }
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit double_clicked();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace tamsor::ui
