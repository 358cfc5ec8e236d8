#include "ui/drawn_picture.h"

#include <QPainter>

namespace tamsor::ui {

DrawnPicture::DrawnPicture(QWidget* parent, const QString& name, const QRect& place,
                           Drawing drawing, const QString& accessible_name)
    : QWidget(parent), drawing_(drawing) {
    setObjectName(name);
    setAccessibleName(accessible_name);
    setGeometry(place);
}

void DrawnPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Drawings come in quarter steps of density; a ratio between them is scaled smoothly.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), drawing(drawing_, device_ratio(painter)));
}

}  // namespace tamsor::ui
