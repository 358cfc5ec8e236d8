#pragma once

#include <QAbstractButton>

#include "ui/artwork.h"

namespace tamsor::ui {

// A button drawn entirely from its pictures: normal, under the mouse, pressed and disabled, each
// drawn for the pixel density it is painted at.
// clicked() fires on a release over the button after a press on it; released_over() fires on
// any release of the left button that happens over the button.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(QWidget* parent, const QString& name, const QRect& place, ButtonArt art,
                  const QString& accessible_name);

    QSize sizeHint() const override { return size(); }

signals:
    void released_over();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const QPixmap& current_look(const ButtonLooks& looks) const;

    ButtonArt art_;
    bool hovered_ = false;
};

}  // namespace tamsor::ui
