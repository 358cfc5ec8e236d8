#include "ui/art_buttons.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "ui/art_emblem.h"
#include "ui/art_paint.h"

namespace tamsor::ui::art {
namespace {

struct Face {
    QRgb fill;
    QRgb edge;
    QRgb ink;
};

struct FaceSet {
    Face normal;
    Face hover;
    Face pressed;
    Face disabled;
};

constexpr Face kGreyed{kGreyFill, kBorder, kGreyInk};

// Secondary actions: tinted plate, blue caption; pressing fills it.
constexpr FaceSet kSoft{{kAccentSoft, kAccentEdge, kAccentDark},
                        {kAccentHover, kAccent, kAccentDark},
                        {kAccent, kAccentDark, kWhite},
                        kGreyed};
// The main action of a window: solid blue.
constexpr FaceSet kPrimary{{kAccent, kAccentDark, kWhite},
                           {kAccentLight, kAccentDark, kWhite},
                           {kAccentDark, kAccentDark, kWhite},
                           kGreyed};
// Login: black caption at rest, green under the mouse.
constexpr FaceSet kLogin{
    {kPaper, kBorder, kBlack}, {kGreenSoft, kGreen, kGreen}, {kGreen, kGreenDark, kWhite}, kGreyed};

enum class Glyph { none, refresh, boards, post };

void draw_glyph(QPainter& painter, Glyph glyph, const QRectF& box, QRgb ink) {
    const qreal s = box.width();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(ink), std::max(1.2, s / 9), Qt::SolidLine, Qt::RoundCap));
    switch (glyph) {
        case Glyph::none:
            return;
        case Glyph::refresh: {
            const QRectF ring = box.adjusted(s * 0.1, s * 0.15, -s * 0.1, -s * 0.05);
            painter.drawArc(ring, 90 * 16, 270 * 16);
            // A filled head at the arc's open end (its top), pointing along the turn.
            const QPointF end(ring.center().x(), ring.top());
            QPainterPath head;
            head.moveTo(end + QPointF(s * 0.3, 0));
            head.lineTo(end + QPointF(-s * 0.05, -s * 0.22));
            head.lineTo(end + QPointF(-s * 0.05, s * 0.22));
            head.closeSubpath();
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(ink));
            painter.drawPath(head);
            return;
        }
        case Glyph::boards: {
            const qreal cell = s * 0.4;
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(ink));
            for (int i = 0; i < 4; ++i) {
                const int column = i % 2;
                const int row = i / 2;
                const QPointF corner =
                    box.topLeft() + QPointF(column * (s - cell), row * (s - cell));
                painter.drawRoundedRect(QRectF(corner, QSizeF(cell, cell)), s * 0.08, s * 0.08);
            }
            return;
        }
        case Glyph::post: {
            const QRectF page = box.adjusted(s * 0.12, 0, -s * 0.12, 0);
            painter.drawRoundedRect(page, s * 0.1, s * 0.1);
            for (const qreal y : {0.32, 0.52, 0.72}) {
                painter.drawLine(QPointF(page.left() + s * 0.2, box.top() + y * s),
                                 QPointF(page.right() - s * 0.2, box.top() + y * s));
            }
            return;
        }
    }
}

struct Plate {
    QSize size;
    QString caption;
    QFont font;
    Glyph glyph = Glyph::none;
    qreal radius = 5;
};

// A rounded plate with its caption (and glyph) centred; `sunk` nudges the content down by a
// pixel, which reads as a press.
QPixmap plate_look(const Plate& plate, const Face& face, bool sunk, qreal ratio) {
    Sketch sketch(plate.size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(QPointF(0, 0), plate.size), face.fill, face.edge, plate.radius);

    const QFontMetricsF metrics(plate.font);
    const qreal glyph_side =
        plate.glyph == Glyph::none ? 0 : std::round(plate.font.pixelSize() * 0.85);
    const qreal gap = plate.glyph == Glyph::none ? 0 : 5;
    const qreal text_width = metrics.horizontalAdvance(plate.caption);
    qreal x = (plate.size.width() - glyph_side - gap - text_width) / 2;
    const qreal shift = sunk ? 1 : 0;
    if (plate.glyph != Glyph::none) {
        const qreal y = (plate.size.height() - glyph_side) / 2 + shift;
        draw_glyph(painter, plate.glyph, QRectF(x, y, glyph_side, glyph_side), face.ink);
        x += glyph_side + gap;
    }
    draw_text(painter, QRectF(x, shift, text_width + 2, plate.size.height()), plate.caption,
              plate.font, face.ink, Qt::AlignLeft | Qt::AlignVCenter);
    return sketch.take();
}

ButtonLooks three_looks(const Plate& plate, const FaceSet& faces, qreal ratio) {
    const QPixmap normal = plate_look(plate, faces.normal, false, ratio);
    return {normal, plate_look(plate, faces.hover, false, ratio),
            plate_look(plate, faces.pressed, true, ratio), normal};
}

ButtonLooks two_looks(const Plate& plate, const FaceSet& faces, qreal ratio) {
    const QPixmap normal = plate_look(plate, faces.normal, false, ratio);
    const QPixmap hover = plate_look(plate, faces.hover, false, ratio);
    return {normal, hover, hover, normal};
}

QPixmap cross_look(int side, QRgb back, QRgb ink, qreal ratio) {
    Sketch sketch(QSize(side, side), ratio);
    QPainter& painter = sketch.painter();
    const qreal inset = side * 0.12;
    draw_plate(painter, QRectF(inset, inset, side - 2 * inset, side - 2 * inset), back, kNone,
               side * 0.18);
    const qreal arm = side * 0.19;
    const QPointF c(side / 2.0, side / 2.0);
    painter.setPen(QPen(QColor(ink), side >= 32 ? 2.2 : 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(c + QPointF(-arm, -arm), c + QPointF(arm, arm));
    painter.drawLine(c + QPointF(-arm, arm), c + QPointF(arm, -arm));
    return sketch.take();
}

ButtonLooks cross_looks(int side, qreal ratio) {
    const QPixmap normal = cross_look(side, kNone, kBlack, ratio);
    return {normal, cross_look(side, kCrossHover, kBlack, ratio),
            cross_look(side, kRedSoft, kRed, ratio), normal};
}

// A reserved slot: dashed outline, so it reads as "nothing here yet" rather than as a fault.
QPixmap placeholder_look(const Face& face, bool sunk, qreal ratio) {
    const QSize size(216, 80);
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(QPointF(0, 0), size), face.fill, face.edge, 8, Qt::DashLine);
    const qreal shift = sunk ? 1 : 0;
    QFont title = ui_font(18, true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    draw_text(painter, QRectF(0, 14 + shift, size.width(), 30), QStringLiteral("虚拟待位"), title,
              face.ink);
    draw_text(painter, QRectF(0, 44 + shift, size.width(), 20), QStringLiteral("预留功能位置"),
              ui_font(11), face.ink == kWhite ? kWhite : kMuted);
    return sketch.take();
}

ButtonLooks placeholder_looks(qreal ratio) {
    const QPixmap normal = placeholder_look({kSurface, kBorder, kMuted}, false, ratio);
    return {normal, placeholder_look({kAccentSoft, kAccent, kAccentDark}, false, ratio),
            placeholder_look({kAccentHover, kAccentDark, kAccentDark}, true, ratio), normal};
}

QPixmap badge_look(qreal ratio) {
    const QSize size(144, 32);
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(QPointF(0, 0), size), kAccentSoft, kAccentEdge, 16);
    draw_emblem(painter, QRectF(6, 5, 22, 22));
    draw_text(painter, QRectF(34, 0, 104, 32), QStringLiteral("Tamsor · 板块"), ui_font(13, true),
              kAccentDark, Qt::AlignLeft | Qt::AlignVCenter);
    return sketch.take();
}

QPixmap round_look(const Face& face, bool sunk, qreal ratio) {
    const QSize size(72, 56);
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    const qreal d = 50;
    const QRectF disc((size.width() - d) / 2, (size.height() - d) / 2, d, d);
    draw_plate(painter, disc, face.fill, face.edge, d / 2);
    draw_text(painter, disc.translated(0, sunk ? 1 : 0), QStringLiteral("获取"), ui_font(16, true),
              face.ink);
    return sketch.take();
}

ButtonLooks round_looks(const FaceSet& faces, qreal ratio) {
    const QPixmap normal = round_look(faces.normal, false, ratio);
    return {normal, round_look(faces.hover, false, ratio), round_look(faces.pressed, true, ratio),
            normal};
}

}  // namespace

ButtonLooks draw_button_looks(ButtonArt art, qreal ratio) {
    switch (art) {
        case ButtonArt::login:
            return three_looks({QSize(96, 32), QStringLiteral("登陆"), ui_font(16, true)}, kLogin,
                               ratio);
        case ButtonArt::close_cross:
            return cross_looks(32, ratio);
        case ButtonArt::close_cross_small:
            return cross_looks(24, ratio);
        case ButtonArt::message_ok:
            return two_looks({QSize(80, 25), QStringLiteral("确定"), ui_font(14, true)}, kPrimary,
                             ratio);
        case ButtonArt::punch:
            return two_looks({QSize(184, 24), QStringLiteral("一 键 签 到"), ui_font(14, true)},
                             kPrimary, ratio);
        case ButtonArt::refresh:
            return three_looks(
                {QSize(79, 20), QStringLiteral("刷新信息"), ui_font(12), Glyph::refresh, 4}, kSoft,
                ratio);
        case ButtonArt::browse_boards:
            return three_looks(
                {QSize(107, 29), QStringLiteral("浏览板块"), ui_font(14, true), Glyph::boards},
                kSoft, ratio);
        case ButtonArt::post_operations:
            return three_looks(
                {QSize(107, 29), QStringLiteral("帖子操作"), ui_font(14, true), Glyph::post}, kSoft,
                ratio);
        case ButtonArt::placeholder:
            return placeholder_looks(ratio);
        case ButtonArt::board_badge: {
            const QPixmap badge = badge_look(ratio);
            return {badge, badge, badge, badge};
        }
        case ButtonArt::fetch_boards:
            return three_looks({QSize(65, 28), QStringLiteral("获取"), ui_font(14, true)}, kSoft,
                               ratio);
        case ButtonArt::fetch_threads: {
            const Plate plate{QSize(54, 21), QStringLiteral("获取"), ui_font(12, true), Glyph::none,
                              4};
            ButtonLooks looks = three_looks(plate, kSoft, ratio);
            looks.disabled =
                plate_look({plate.size, QStringLiteral("等待"), plate.font, Glyph::none, 4},
                           kSoft.disabled, false, ratio);
            return looks;
        }
        case ButtonArt::fetch_post:
            return round_looks(kPrimary, ratio);
    }
    return {};
}

}  // namespace tamsor::ui::art
