#include "ui/picture_box.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include <cstdint>
#include <string_view>

namespace tamsor::ui {

namespace {

bool starts_jpeg(std::string_view data) {
    return data.size() >= 2 && uint8_t(data[0]) == 0xFF && uint8_t(data[1]) == 0xD8;
}

// Moves past a scan's entropy-coded data to the marker that ends it. Inside a scan, 0xFF is
// followed by a stuffed zero, a restart marker or fill bytes; anything else is the next marker.
size_t end_of_scan(std::string_view data, size_t at) {
    while (true) {
        size_t ff = data.find('\xFF', at);
        if (ff == std::string_view::npos || ff + 1 >= data.size()) {
            return std::string_view::npos;
        }
        const uint8_t next = uint8_t(data[ff + 1]);
        if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
            at = ff + 2;
        } else if (next == 0xFF) {
            at = ff + 1;
        } else {
            return ff;
        }
    }
}

// Walks a JPEG's segments and scans and tells whether its end-of-image marker is reached. The
// JPEG reader fills whatever is missing with grey and reports success, so data cut short in
// transfer would otherwise be shown as if it were the whole picture. Segments are skipped by
// their lengths, so an embedded thumbnail's own end marker does not count; bytes after the end
// marker are allowed.
bool jpeg_reaches_its_end(std::string_view data) {
    size_t at = 2;
    while (true) {
        at = data.find('\xFF', at);  // stray bytes before a marker are tolerated, as readers do
        while (at < data.size() && uint8_t(data[at]) == 0xFF) {
            ++at;
        }
        if (at >= data.size()) {
            return false;
        }
        const uint8_t marker = uint8_t(data[at++]);
        if (marker == 0xD9) {
            return true;
        }
        const bool stands_alone = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
        if (stands_alone) {
            continue;
        }
        if (at + 2 > data.size()) {
            return false;
        }
        const size_t length = size_t(uint8_t(data[at])) << 8 | uint8_t(data[at + 1]);
        if (length < 2) {
            return false;
        }
        at += length;
        if (marker == 0xDA && at < data.size()) {
            at = end_of_scan(data, at);
        }
    }
}

}  // namespace

QImage decode_picture(const std::string& bytes) {
    if (bytes.empty()) {
        return {};
    }
    if (starts_jpeg(bytes) && !jpeg_reaches_its_end(bytes)) {
        return {};
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
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
    }
    QImage image;
    if (!reader.read(&image)) {
        return {};
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
    QImage image = decode_picture(bytes);
    set_picture(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
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
        painter.setPen(QPen(QColor(100, 100, 100), 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
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
