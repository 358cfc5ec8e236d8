#pragma once

#include <QPixmap>

// The panels the windows lay their controls over. Each leaves plain room where a control sits and
// puts its caption just left of it; the rooms are the rectangles of ui/panel_layout.h.
namespace tamsor::ui::art {

QPixmap draw_profile_panel(qreal ratio);
QPixmap draw_operations_panel(qreal ratio);
QPixmap draw_credits_picture(qreal ratio);
QPixmap draw_post_form(qreal ratio);

}  // namespace tamsor::ui::art
