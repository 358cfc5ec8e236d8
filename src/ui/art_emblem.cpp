#include "ui/art_emblem.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>

#include "ui/artwork.h"

namespace tamsor::ui {
namespace art {

void draw_emblem(QPainter& painter, const QRectF& box, QRgb base, QRgb bubble) {
    const qreal s = box.width();
    const auto at = [&](qreal x, qreal y) { return box.topLeft() + QPointF(x * s, y * s); };
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(base));
    painter.drawRoundedRect(box, 0.22 * s, 0.22 * s);

    QPainterPath shape;
    shape.addRoundedRect(QRectF(at(0.17, 0.2), QSizeF(0.66 * s, 0.5 * s)), 0.13 * s, 0.13 * s);
    QPainterPath tail;
    tail.moveTo(at(0.28, 0.6));
    tail.lineTo(at(0.27, 0.84));
    tail.lineTo(at(0.48, 0.64));
    tail.closeSubpath();
    painter.setBrush(QColor(bubble));
    painter.drawPath(shape.united(tail));

    painter.setBrush(QColor(base));
    painter.drawRect(QRectF(at(0.32, 0.3), QSizeF(0.36 * s, 0.085 * s)));
    painter.drawRect(QRectF(at(0.455, 0.3), QSizeF(0.09 * s, 0.31 * s)));
}

// The banner is laid out for the size it is shown at in the login window.
constexpr QSize kLogoShown(373, 86);

QPixmap draw_logo(qreal ratio) {
    Sketch sketch(kLogoShown, ratio);
    QPainter& painter = sketch.painter();
    const QRectF area(QPointF(0, 0), kLogoShown);
    QLinearGradient wash(area.topLeft(), area.topRight());
    wash.setColorAt(0, QColor(kPaper));
    wash.setColorAt(1, QColor(kAccentSoft));
    painter.setPen(QPen(QColor(kBorder), 1));
    painter.setBrush(wash);
    painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);

    // Soft discs on the right, cut by the banner's edge: colour without clutter.
    painter.save();
    QPainterPath inside;
    inside.addRoundedRect(area.adjusted(1, 1, -1, -1), 7.5, 7.5);
    painter.setClipPath(inside);
    painter.setPen(Qt::NoPen);
    const struct {
        QRectF disc;
        qreal opacity;
    } discs[] = {{QRectF(300, -34, 110, 110), 0.10},
                 {QRectF(330, 40, 70, 70), 0.14},
                 {QRectF(286, 56, 30, 30), 0.12}};
    for (const auto& d : discs) {
        painter.setOpacity(d.opacity);
        painter.setBrush(QColor(kAccent));
        painter.drawEllipse(d.disc);
    }
    painter.restore();

    draw_emblem(painter, QRectF(18, 15, 56, 56));
    draw_text(painter, QRectF(88, 8, 220, 46), QStringLiteral("Tamsor"), wordmark_font(36), kInk,
              Qt::AlignLeft | Qt::AlignVCenter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kAccent));
    painter.drawRoundedRect(QRectF(90, 54, 24, 3), 1.5, 1.5);
    draw_text(painter, QRectF(90, 58, 260, 20),
              QStringLiteral("论坛助手 · 登陆 · 签到 · 浏览 · 看帖"), ui_font(12), kMuted,
              Qt::AlignLeft | Qt::AlignVCenter);
    return sketch.take();
}

}  // namespace art

QImage icon_image(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    art::draw_emblem(painter, QRectF(0, 0, side, side));
    return image;
}

}  // namespace tamsor::ui
