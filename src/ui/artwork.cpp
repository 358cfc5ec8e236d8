#include "ui/artwork.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace tamsor::ui {
namespace {

// One calm palette for every picture, so the six windows read as one tool.
constexpr QRgb kAccent = qRgb(43, 123, 214);
constexpr QRgb kAccentDark = qRgb(29, 90, 163);
constexpr QRgb kAccentLight = qRgb(72, 145, 228);
constexpr QRgb kAccentEdge = qRgb(160, 194, 234);
constexpr QRgb kAccentSoft = qRgb(234, 242, 252);
constexpr QRgb kAccentHover = qRgb(212, 229, 248);
constexpr QRgb kPaper = qRgb(255, 255, 255);
constexpr QRgb kSurface = qRgb(246, 248, 251);
constexpr QRgb kBorder = qRgb(197, 209, 223);
constexpr QRgb kInk = qRgb(31, 42, 55);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kMuted = qRgb(108, 122, 140);
constexpr QRgb kGreyFill = qRgb(238, 240, 243);
constexpr QRgb kGreyInk = qRgb(160, 168, 178);
constexpr QRgb kGreen = qRgb(24, 150, 78);
constexpr QRgb kGreenDark = qRgb(18, 118, 60);
constexpr QRgb kGreenSoft = qRgb(232, 247, 238);
constexpr QRgb kRed = qRgb(222, 36, 36);
constexpr QRgb kCrossHover = qRgb(220, 226, 234);
constexpr QRgb kRedSoft = qRgb(253, 232, 232);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kNone = qRgba(0, 0, 0, 0);

constexpr auto kUiFamily = "微软雅黑";

// ---- canvas and text -------------------------------------------------------------------------

// A transparent pixmap of `size` logical pixels with `ratio` device pixels to each of them, so
// the picture is drawn for the screen it is shown on rather than scaled up afterwards.
QPixmap canvas(QSize size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A transparent pixmap with a smoothing painter on it; take() ends the painting.
class Sketch {
public:
    Sketch(QSize size, qreal ratio) : pixmap_(canvas(size, ratio)), painter_(&pixmap_) {
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setRenderHint(QPainter::TextAntialiasing);
        painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    QPainter& painter() { return painter_; }
    QPixmap take() {
        painter_.end();
        return pixmap_;
    }

private:
    QPixmap pixmap_;
    QPainter painter_;
};

QFont ui_font(int pixels, bool bold = false) {
    QFont font(font_family(QString::fromUtf8(kUiFamily)));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The wordmark is Latin; a clean sans reads better there than the CJK face's Latin letters.
QFont wordmark_font(int pixels) {
    QString family = font_family(QString());
    for (const char* candidate : {"Segoe UI", "Noto Sans", "DejaVu Sans"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(candidate))) {
            family = QString::fromLatin1(candidate);
            break;
        }
    }
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void draw_text(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
               QRgb ink, Qt::Alignment align = Qt::AlignCenter) {
    painter.setFont(font);
    painter.setPen(QColor(ink));
    painter.drawText(box, static_cast<int>(align), text);
}

// A rounded plate. A 1 px outline is set on the middle of the edge pixels, so it stays crisp; a
// plate without outline covers its box exactly.
void draw_plate(QPainter& painter, const QRectF& box, QRgb fill, QRgb edge, qreal radius,
                Qt::PenStyle line = Qt::SolidLine) {
    painter.setPen(qAlpha(edge) == 0 ? QPen(Qt::NoPen) : QPen(QColor(edge), 1, line));
    painter.setBrush(qAlpha(fill) == 0 ? QBrush(Qt::NoBrush) : QBrush(QColor(fill)));
    const qreal inset = qAlpha(edge) == 0 ? 0 : 0.5;
    painter.drawRoundedRect(box.adjusted(inset, inset, -inset, -inset), radius, radius);
}

// ---- emblem ----------------------------------------------------------------------------------

// A speech bubble carrying a "T" on a rounded blue square: the forum, talking. Pure geometry, so
// it stays crisp from 16 px up and needs no font.
void draw_emblem(QPainter& painter, const QRectF& box, QRgb base = kAccent, QRgb bubble = kWhite) {
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

// ---- picture buttons -------------------------------------------------------------------------

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
                const QPointF corner =
                    box.topLeft() + QPointF((i % 2) * (s - cell), (i / 2) * (s - cell));
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

ButtonLooks make_looks(ButtonArt art, qreal ratio) {
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

// ---- panels ----------------------------------------------------------------------------------

// Faces differ in width from machine to machine: a text too long for its room is first set a
// little narrower (keeping its height, so neighbouring captions still match), then smaller,
// rather than clipped.
QFont fitted(QFont font, const QString& text, qreal width) {
    const auto too_wide = [&] { return QFontMetricsF(font).horizontalAdvance(text) > width; };
    for (int stretch = 95; stretch >= 80 && too_wide(); stretch -= 5) {
        font.setStretch(stretch);
    }
    while (font.pixelSize() > 9 && too_wide()) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

// A caption right-aligned so it ends just before the control that follows it.
void draw_caption(QPainter& painter, const QRect& field, const QString& text, const QFont& font,
                  qreal left = 2) {
    const QRectF box(left, field.top(), field.left() - 5 - left, field.height());
    draw_text(painter, box, text, fitted(font, text, box.width()), kInk,
              Qt::AlignRight | Qt::AlignVCenter);
}

QPixmap draw_profile_panel(qreal ratio) {
    const QSize size(232, 100);
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(QPointF(0, 0), size), kPaper, kBorder, 6);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kAccent));
    painter.drawRoundedRect(QRectF(6, 5, 3, 11), 1.5, 1.5);
    draw_text(painter, QRectF(13, 1, 120, 19), QStringLiteral("账户信息:"), ui_font(12, true),
              kAccentDark, Qt::AlignLeft | Qt::AlignVCenter);

    // Wells behind the three value labels, so the values read as fields of one record.
    const QRect id_field(67, 19, 110, 16), level_field(66, 37, 88, 16), db_field(66, 57, 62, 16);
    for (const QRect& field : {id_field, level_field, db_field}) {
        draw_plate(painter, QRectF(field).adjusted(-3, 0, 2, 0), kSurface, kNone, 2);
    }
    const QFont caption = ui_font(12);
    draw_caption(painter, id_field, QStringLiteral("Quenda ID :"), caption, 5);
    draw_caption(painter, level_field, QStringLiteral("等级 :"), caption);
    draw_caption(painter, db_field, QStringLiteral("D B :"), caption);
    draw_text(painter, QRectF(db_field.right() + 5, db_field.top(), 18, db_field.height()),
              QStringLiteral("刀"), caption, kInk, Qt::AlignLeft | Qt::AlignVCenter);

    // An avatar disc in the free top-right corner; the area below it belongs to a label.
    const QRectF avatar(188, 12, 34, 34);
    draw_plate(painter, avatar, kAccentSoft, kAccentEdge, 17);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kAccent));
    painter.drawEllipse(QRectF(avatar.center().x() - 6, avatar.top() + 7, 12, 12));
    QPainterPath shoulders;
    shoulders.addRoundedRect(QRectF(avatar.center().x() - 11, avatar.top() + 21, 22, 14), 7, 7);
    QPainterPath disc;
    disc.addEllipse(avatar.adjusted(1, 1, -1, -1));
    painter.drawPath(shoulders.intersected(disc));
    return sketch.take();
}

QPixmap draw_operations_panel(qreal ratio) {
    const QSize size(232, 144);
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(0, 8, size.width(), size.height() - 8), kPaper, kBorder, 6);
    // The heading sits as a tab on the frame's top edge, clear of the buttons below it.
    const QFont heading = ui_font(12, true);
    const qreal tab_width =
        QFontMetricsF(heading).horizontalAdvance(QStringLiteral("操作功能")) + 18;
    draw_plate(painter, QRectF(10, 0, tab_width, 17), kAccent, kAccent, 8.5);
    draw_text(painter, QRectF(10, 0, tab_width, 17), QStringLiteral("操作功能"), heading, kWhite);
    return sketch.take();
}

QPixmap draw_credits_picture(qreal ratio) {
    const QSize size(232, 130);
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(QPointF(0, 0), size), kPaper, kBorder, 6);

    // A soft header band, clipped to the plate's rounded top.
    QPainterPath inside;
    inside.addRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 5, 5);
    painter.save();
    painter.setClipPath(inside);
    painter.fillRect(QRectF(0, 0, size.width(), 49), QColor(kAccentSoft));
    painter.restore();
    painter.setPen(QPen(QColor(kBorder), 1));
    painter.drawLine(QPointF(1, 49.5), QPointF(size.width() - 1, 49.5));

    draw_emblem(painter, QRectF(14, 10, 30, 30));
    draw_text(painter, QRectF(52, 8, 170, 22), QStringLiteral("Tamsor"), wordmark_font(19), kInk,
              Qt::AlignLeft | Qt::AlignVCenter);
    draw_text(painter, QRectF(53, 28, 170, 15), QStringLiteral("论坛登陆操作工具"), ui_font(11),
              kMuted, Qt::AlignLeft | Qt::AlignVCenter);

    const QFont line = ui_font(12);
    const struct {
        QString dot;
        QString text;
    } rows[] = {{QStringLiteral("签到"), QStringLiteral("每日一键签到，刷新账户信息")},
                {QStringLiteral("浏览"), QStringLiteral("板块与帖子 ID 一览")},
                {QStringLiteral("看帖"), QStringLiteral("按 ID 阅读帖子与图片")}};
    qreal y = 57;
    for (const auto& row : rows) {
        draw_plate(painter, QRectF(14, y + 1, 32, 16), kAccentSoft, kAccentEdge, 8);
        draw_text(painter, QRectF(14, y + 1, 32, 16), row.dot, ui_font(10, true), kAccentDark);
        draw_text(painter, QRectF(54, y, 170, 18), row.text, line, kInk,
                  Qt::AlignLeft | Qt::AlignVCenter);
        y += 22;
    }
    return sketch.take();
}

struct FormField {
    QString caption;
    QRect field;
    QRgb fill;
};

QPixmap draw_post_form(qreal ratio) {
    const QSize size(376, 368);
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(QPointF(0, 0), size), kSurface, kBorder, 8);

    // Each box sits two pixels outside its control, so the control's own edge never touches it.
    const FormField fields[] = {
        {QStringLiteral("输入帖子ID："), QRect(97, 23, 132, 20), kPaper},
        {QStringLiteral("合成地址："), QRect(98, 58, 133, 18), kPaper},
        {QStringLiteral("帖子内容："), QRect(96, 95, 192, 96), kPaper},
        {QStringLiteral("帖子标题："), QRect(98, 216, 256, 24), kAccentSoft},
        {QStringLiteral("所属板块："), QRect(98, 258, 128, 24), kAccentSoft},
    };
    const QFont caption = ui_font(12, true);
    for (const FormField& f : fields) {
        draw_plate(painter, QRectF(f.field).adjusted(-2, -2, 2, 2), f.fill, kBorder, 4);
        const QRect line(f.field.left() - 2, f.field.top(), f.field.width(),
                         std::min(f.field.height(), 22));
        draw_caption(painter, line, f.caption, caption, 8);
    }
    const QFont hint = ui_font(11);
    draw_text(painter, QRectF(238, 21, 130, 24), QStringLiteral("例如 r12345"), hint, kMuted,
              Qt::AlignLeft | Qt::AlignVCenter);

    const QRect thumbnails[] = {QRect(16, 304, 80, 48), QRect(104, 304, 80, 48)};
    const QString thumbnail_captions[] = {QStringLiteral("帖内图片"), QStringLiteral("弹出图片")};
    for (int i = 0; i < 2; ++i) {
        draw_plate(painter, QRectF(thumbnails[i]).adjusted(-2, -2, 2, 2), kPaper, kBorder, 4);
        draw_text(painter, QRectF(thumbnails[i].left(), 286, thumbnails[i].width(), 15),
                  thumbnail_captions[i], hint, kMuted);
    }
    draw_text(painter, QRectF(196, 304, 170, 48), QStringLiteral("双击缩略图查看大图"), hint,
              kMuted, Qt::AlignRight | Qt::AlignBottom);
    return sketch.take();
}

// ---- logo ----------------------------------------------------------------------------------

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

// ---- cache -----------------------------------------------------------------------------------

// Pictures are drawn for ratios in quarter steps: finer steps would not look different, and
// each step drawn is kept.
int quarters(qreal ratio) {
    return std::max(4, static_cast<int>(std::lround(ratio * 4)));
}

struct Cache {
    std::map<std::pair<ButtonArt, int>, ButtonLooks> buttons;
    std::map<std::pair<Drawing, int>, QPixmap> drawings;
    std::optional<QIcon> icon;
};

// Pixmaps must not outlive the application object, so the cache goes with it.
std::unique_ptr<Cache> g_cache;

Cache& cache() {
    if (!g_cache) {
        g_cache = std::make_unique<Cache>();
        qAddPostRoutine([] { g_cache.reset(); });
    }
    return *g_cache;
}

// The entry for `key`, made by `make` the first time it is asked for.
template <typename Map, typename Make>
const typename Map::mapped_type& cached(Map& map, const typename Map::key_type& key, Make make) {
    auto found = map.find(key);
    if (found == map.end()) {
        found = map.emplace(key, make()).first;
    }
    return found->second;
}

QPixmap draw(Drawing which, qreal ratio) {
    switch (which) {
        case Drawing::logo_banner:
            return draw_logo(ratio);
        case Drawing::profile_panel:
            return draw_profile_panel(ratio);
        case Drawing::operations_panel:
            return draw_operations_panel(ratio);
        case Drawing::credits:
            return draw_credits_picture(ratio);
        case Drawing::post_form:
            return draw_post_form(ratio);
    }
    return {};
}

QString find_cjk_family() {
    // Known good faces first; then whatever the system offers for Simplified Chinese.
    for (const char* preferred : {"Microsoft YaHei", "Noto Sans CJK SC", "Source Han Sans SC",
                                  "WenQuanYi Micro Hei", "WenQuanYi Zen Hei"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(preferred))) {
            return QString::fromLatin1(preferred);
        }
    }
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : families) {
        if (!QFontDatabase::isPrivateFamily(family)) {
            return family;
        }
    }
    return QFont().family();
}

}  // namespace

QString font_family(const QString& wanted) {
    static QHash<QString, QString> resolved;
    auto found = resolved.constFind(wanted);
    if (found != resolved.constEnd()) {
        return *found;
    }
    const QString family =
        !wanted.isEmpty() && QFontDatabase::hasFamily(wanted) ? wanted : find_cjk_family();
    resolved.insert(wanted, family);
    return family;
}

qreal device_ratio(const QPainter& painter) {
    const QTransform to_device = painter.deviceTransform();
    return std::hypot(to_device.m11(), to_device.m12());
}

const ButtonLooks& button_looks(ButtonArt art, qreal ratio) {
    const int steps = quarters(ratio);
    return cached(cache().buttons, std::pair(art, steps),
                  [&] { return make_looks(art, steps / 4.0); });
}

QPixmap drawing(Drawing which, qreal ratio) {
    const int steps = quarters(ratio);
    return cached(cache().drawings, std::pair(which, steps),
                  [&] { return draw(which, steps / 4.0); });
}

QImage icon_image(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw_emblem(painter, QRectF(0, 0, side, side));
    return image;
}

QIcon application_icon() {
    auto& icon = cache().icon;
    if (!icon) {
        icon.emplace();
        for (const int side : icon_sides) {
            icon->addPixmap(QPixmap::fromImage(icon_image(side)));
        }
    }
    return *icon;
}

}  // namespace tamsor::ui
