#pragma once

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <QRgb>
#include <QSize>
#include <QString>

// The palette and the drawing helpers the button looks, the panels and the emblem share.
namespace tamsor::ui::art {

// One calm palette for every picture, so the six windows read as one tool.
inline constexpr QRgb kAccent = qRgb(43, 123, 214);
inline constexpr QRgb kAccentDark = qRgb(29, 90, 163);
inline constexpr QRgb kAccentLight = qRgb(72, 145, 228);
inline constexpr QRgb kAccentEdge = qRgb(160, 194, 234);
inline constexpr QRgb kAccentSoft = qRgb(234, 242, 252);
inline constexpr QRgb kAccentHover = qRgb(212, 229, 248);
inline constexpr QRgb kPaper = qRgb(255, 255, 255);
inline constexpr QRgb kSurface = qRgb(246, 248, 251);
inline constexpr QRgb kBorder = qRgb(197, 209, 223);
inline constexpr QRgb kInk = qRgb(31, 42, 55);
inline constexpr QRgb kBlack = qRgb(0, 0, 0);
inline constexpr QRgb kMuted = qRgb(108, 122, 140);
inline constexpr QRgb kGreyFill = qRgb(238, 240, 243);
inline constexpr QRgb kGreyInk = qRgb(160, 168, 178);
inline constexpr QRgb kGreen = qRgb(24, 150, 78);
inline constexpr QRgb kGreenDark = qRgb(18, 118, 60);
inline constexpr QRgb kGreenSoft = qRgb(232, 247, 238);
inline constexpr QRgb kRed = qRgb(222, 36, 36);
inline constexpr QRgb kCrossHover = qRgb(220, 226, 234);
inline constexpr QRgb kRedSoft = qRgb(253, 232, 232);
inline constexpr QRgb kWhite = qRgb(255, 255, 255);
inline constexpr QRgb kNone = qRgba(0, 0, 0, 0);

// A transparent pixmap of `size` logical pixels with `ratio` device pixels to each of them, so
// the picture is drawn for the screen it is shown on rather than scaled up afterwards.
QPixmap canvas(QSize size, qreal ratio);

// A transparent pixmap with a smoothing painter on it; take() ends the painting.
class Sketch {
public:
    Sketch(QSize size, qreal ratio);
    QPainter& painter() { return painter_; }
    QPixmap take();

private:
    QPixmap pixmap_;
    QPainter painter_;
};

// The windows' CJK face at a pixel size.
QFont ui_font(int pixels, bool bold = false);
// The wordmark is Latin; a clean sans reads better there than the CJK face's Latin letters.
QFont wordmark_font(int pixels);

void draw_text(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
               QRgb ink, Qt::Alignment align = Qt::AlignCenter);

// A rounded plate. A 1 px outline is set on the middle of the edge pixels, so it stays crisp; a
// plate without outline covers its box exactly.
void draw_plate(QPainter& painter, const QRectF& box, QRgb fill, QRgb edge, qreal radius,
                Qt::PenStyle line = Qt::SolidLine);

}  // namespace tamsor::ui::art
