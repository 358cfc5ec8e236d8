#pragma once

#include <QWidget>

#include "ui/artwork.h"

namespace tamsor::ui {

// One of the program's own drawings (a banner or a panel) over the whole box. It is drawn for the
// pixel density it is painted at, so a panel stays sharp on a double-density screen; other
// controls sit on it.
class DrawnPicture : public QWidget {
public:
    DrawnPicture(QWidget* parent, const QString& name, const QRect& place, Drawing drawing,
                 const QString& accessible_name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Drawing drawing_;
};

}  // namespace tamsor::ui
