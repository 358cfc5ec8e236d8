#include "ui/picture_button.h"

#include <QMouseEvent>
#include <QPainter>

namespace tamsor::ui {

PictureButton::PictureButton(QWidget* parent, const QString& name, const QRect& place,
                             ButtonArt art, const QString& accessible_name)
    : QAbstractButton(parent), art_(art) {
    setObjectName(name);
    setAccessibleName(accessible_name);
    setText(accessible_name);  // read by assistive technology; the pictures carry the caption
    setGeometry(place);
    // Like the buttons of any picture-drawn tool: they never take the focus from an edit box.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

const QPixmap& PictureButton::current_look(const ButtonLooks& looks) const {
    if (!isEnabled()) {
        return looks.disabled;
    }
    if (isDown()) {
        return looks.pressed;
    }
    if (hovered_) {
        return looks.hover;
    }
    return looks.normal;
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap& look = current_look(button_looks(art_, device_ratio(painter)));
    if (!look.isNull()) {
        // Looks come in quarter steps of density; a ratio between them is scaled smoothly.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), look);
    }
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PictureButton::hideEvent(QHideEvent* event) {
    // A window that is re-created (always-on-top switch) sends no leave event.
    hovered_ = false;
    QAbstractButton::hideEvent(event);
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    bool over = event->button() == Qt::LeftButton && isEnabled() &&
                rect().contains(event->position().toPoint());
    QAbstractButton::mouseReleaseEvent(event);
    if (over) {
        emit released_over();
    }
}

}  // namespace tamsor::ui
