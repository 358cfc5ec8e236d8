#include "ui/art_paint.h"

#include <QFontDatabase>
#include <QHash>
#include <QTransform>
#include <cmath>

#include "ui/artwork.h"

namespace tamsor::ui {
namespace art {

QPixmap canvas(QSize size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

Sketch::Sketch(QSize size, qreal ratio) : pixmap_(canvas(size, ratio)), painter_(&pixmap_) {
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
}

QPixmap Sketch::take() {
    painter_.end();
    return pixmap_;
}

QFont ui_font(int pixels, bool bold) {
    QFont font(font_family(QStringLiteral("微软雅黑")));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

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
               QRgb ink, Qt::Alignment align) {
    painter.setFont(font);
    painter.setPen(QColor(ink));
    painter.drawText(box, static_cast<int>(align), text);
}

void draw_plate(QPainter& painter, const QRectF& box, QRgb fill, QRgb edge, qreal radius,
                Qt::PenStyle line) {
    painter.setPen(qAlpha(edge) == 0 ? QPen(Qt::NoPen) : QPen(QColor(edge), 1, line));
    painter.setBrush(qAlpha(fill) == 0 ? QBrush(Qt::NoBrush) : QBrush(QColor(fill)));
    const qreal inset = qAlpha(edge) == 0 ? 0 : 0.5;
    painter.drawRoundedRect(box.adjusted(inset, inset, -inset, -inset), radius, radius);
}

}  // namespace art

namespace {

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
    QString family =
        !wanted.isEmpty() && QFontDatabase::hasFamily(wanted) ? wanted : find_cjk_family();
    resolved.insert(wanted, family);
    return family;
}

qreal device_ratio(const QPainter& painter) {
    const QTransform to_device = painter.deviceTransform();
    return std::hypot(to_device.m11(), to_device.m12());
}

}  // namespace tamsor::ui
