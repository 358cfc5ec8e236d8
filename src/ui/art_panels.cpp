#include "ui/art_panels.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>

#include "ui/art_emblem.h"
#include "ui/art_paint.h"
#include "ui/panel_layout.h"

namespace tamsor::ui::art {
namespace {

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

struct FormField {
    QString caption;
    QRect field;
    QRgb fill;
};

}  // namespace

QPixmap draw_profile_panel(qreal ratio) {
    const QSize size = profile_panel::size;
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(QPointF(0, 0), size), kPaper, kBorder, 6);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kAccent));
    painter.drawRoundedRect(QRectF(6, 5, 3, 11), 1.5, 1.5);
    draw_text(painter, QRectF(13, 1, 120, 19), QStringLiteral("账户信息:"), ui_font(12, true),
              kAccentDark, Qt::AlignLeft | Qt::AlignVCenter);

    // Wells behind the three value labels, so the values read as fields of one record.
    const QRect& id_field = profile_panel::account_id;
    const QRect& level_field = profile_panel::level;
    const QRect& db_field = profile_panel::db_balance;
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
    const QSize size = operations_panel::size;
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(0, 8, size.width(), size.height() - 8), kPaper, kBorder, 6);
    // The heading sits as a tab on the frame's top edge, clear of the buttons below it.
    const QFont heading = ui_font(12, true);
    const qreal tab_width =
        QFontMetricsF(heading).horizontalAdvance(QStringLiteral("操作功能")) + 18;
    const qreal tab_height =
        std::min(operations_panel::browse_boards.top(), operations_panel::post_operations.top()) -
        2;
    draw_plate(painter, QRectF(10, 0, tab_width, tab_height), kAccent, kAccent, tab_height / 2);
    draw_text(painter, QRectF(10, 0, tab_width, tab_height), QStringLiteral("操作功能"), heading,
              kWhite);
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

QPixmap draw_post_form(qreal ratio) {
    const QSize size = post_form::size;
    Sketch sketch(size, ratio);
    QPainter& painter = sketch.painter();
    draw_plate(painter, QRectF(QPointF(0, 0), size), kSurface, kBorder, 8);

    // Each box sits two pixels outside its control, so the control's own edge never touches it.
    const FormField fields[] = {
        {QStringLiteral("输入帖子ID："), post_form::post_id, kPaper},
        {QStringLiteral("合成地址："), post_form::address, kPaper},
        {QStringLiteral("帖子内容："), post_form::body, kPaper},
        {QStringLiteral("帖子标题："), post_form::title, kAccentSoft},
        {QStringLiteral("所属板块："), post_form::board, kAccentSoft},
    };
    const QFont caption = ui_font(12, true);
    for (const FormField& f : fields) {
        draw_plate(painter, QRectF(f.field).adjusted(-2, -2, 2, 2), f.fill, kBorder, 4);
        const QRect line(f.field.left() - 2, f.field.top(), f.field.width(),
                         std::min(f.field.height(), 22));
        draw_caption(painter, line, f.caption, caption, 8);
    }
    const QFont hint = ui_font(11);
    const QRect& post_id = post_form::post_id;
    draw_text(painter, QRectF(post_id.right() + 10, post_id.top() - 2, 130, 24),
              QStringLiteral("例如 r12345"), hint, kMuted, Qt::AlignLeft | Qt::AlignVCenter);

    const QRect thumbnails[] = {post_form::body_picture, post_form::popup_picture};
    const QString thumbnail_captions[] = {QStringLiteral("帖内图片"), QStringLiteral("弹出图片")};
    for (int i = 0; i < 2; ++i) {
        const QRect& thumbnail = thumbnails[i];
        draw_plate(painter, QRectF(thumbnail).adjusted(-2, -2, 2, 2), kPaper, kBorder, 4);
        draw_text(painter, QRectF(thumbnail.left(), thumbnail.top() - 18, thumbnail.width(), 15),
                  thumbnail_captions[i], hint, kMuted);
    }
    // The hint ends at the form's right margin, beside the second thumbnail.
    const QRect& last = post_form::popup_picture;
    const qreal hint_left = last.right() + 13;
    draw_text(painter, QRectF(hint_left, last.top(), size.width() - 10 - hint_left, last.height()),
              QStringLiteral("双击缩略图查看大图"), hint, kMuted, Qt::AlignRight | Qt::AlignBottom);
    return sketch.take();
}

}  // namespace tamsor::ui::art
