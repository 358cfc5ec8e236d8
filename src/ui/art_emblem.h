#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <QRgb>

#include "ui/art_paint.h"

// The program's emblem, which is also its icon, and the login window's banner around it.
namespace tamsor::ui::art {

// A speech bubble carrying a "T" on a rounded blue square: the forum, talking. Pure geometry, so
// it stays crisp from 16 px up and needs no font.
void draw_emblem(QPainter& painter, const QRectF& box, QRgb base = kAccent, QRgb bubble = kWhite);

// The login window's banner, 373 x 86.
QPixmap draw_logo(qreal ratio);

}  // namespace tamsor::ui::art
