// Every window's drawn pictures (picture buttons, banner and panels) and picture-box borders
// rendered off screen at one and at two device pixels per logical pixel. At two they must be
// drawn afresh rather than scaled up: a one-pixel outline lands on exactly two device pixels,
// finer detail than a logical pixel shows, and the picture is the same one as at ratio 1.
#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <cstdlib>

#include "ui/drawn_picture.h"
#include "ui/picture_box.h"
#include "ui/picture_button.h"
#include "ui_test_support.h"

namespace tamsor::test {
namespace {

constexpr int kMargin = 2;  // backdrop around the picture, so its outer edges have neighbours
const QColor kBackdrop(255, 255, 255);

// The widget alone (no children, no window background) over the backdrop, in device pixels.
QImage render(QWidget* widget, int ratio) {
    QPixmap pixmap((widget->size() + QSize(2 * kMargin, 2 * kMargin)) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(kBackdrop);
    widget->render(&pixmap, QPoint(kMargin, kMargin), QRegion(), QWidget::RenderFlags());
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

int difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

int brightness(QRgb c) {
    return qRed(c) + qGreen(c) + qBlue(c);
}

constexpr int kLineContrast = 30;  // a faint outline against its plate is still a line
constexpr int kMinLine = 20;       // longer than any stroke of the captions' small fonts

struct Outline {
    QPoint at;      // a pixel of a one-pixel line at ratio 1
    QPoint across;  // one step across the line
};

// Whether p is a pixel of `colour` that is darker, or lighter, than both its neighbours across:
// a line, not the soft edge of a wider shape, whose pixels lie between their neighbours.
bool on_line(const QImage& image, QPoint p, QPoint across, QRgb colour) {
    if (!image.rect().contains(p - across) || !image.rect().contains(p + across) ||
        difference(image.pixel(p), colour) > 8) {
        return false;
    }
    const QRgb before = image.pixel(p - across), after = image.pixel(p + across);
    const bool darker = brightness(colour) < std::min(brightness(before), brightness(after));
    const bool lighter = brightness(colour) > std::max(brightness(before), brightness(after));
    return (darker || lighter) && difference(colour, before) > kLineContrast &&
           difference(colour, after) > kLineContrast;
}

// Pixels of straight one-pixel lines at ratio 1, in runs at least kMinLine long.
std::vector<Outline> one_pixel_lines(const QImage& image) {
    std::vector<Outline> lines;
    for (const QPoint along : {QPoint(1, 0), QPoint(0, 1)}) {
        const QPoint across(along.y(), along.x());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QPoint start(x, y);
                const QRgb colour = image.pixel(start);
                if (on_line(image, start - along, across, colour)) {
                    continue;  // not where the run starts
                }
                int length = 0;
                while (on_line(image, start + length * along, across, colour)) {
                    ++length;
                }
                for (int i = 0; length >= kMinLine && i < length; ++i) {
                    lines.push_back({start + i * along, across});
                }
            }
        }
    }
    return lines;
}

// Where the line pixel's two device pixels across are not the line's colour, or the device
// pixels beside them not its neighbours' colours at ratio 1. Enlarging a ratio-1 picture
// smoothly mixes a quarter of each neighbour into the line, and drawing the line half a pixel
// off spreads it over three device pixels.
std::vector<QPoint> spread_outlines(const QImage& one, const QImage& two) {
    std::vector<QPoint> spread;
    for (const Outline& line : one_pixel_lines(one)) {
        const QRgb colour = one.pixel(line.at);
        const QRgb before = one.pixel(line.at - line.across);
        const QRgb after = one.pixel(line.at + line.across);
        const int contrast = std::min(difference(colour, before), difference(colour, after));
        const QPoint d = line.at * 2;
        const QPoint along(line.across.y(), line.across.x());
        bool sharp = true;
        for (const QPoint p : {d, d + along}) {
            sharp = sharp && difference(two.pixel(p), colour) <= contrast / 6 &&
                    difference(two.pixel(p + line.across), colour) <= contrast / 6 &&
                    difference(two.pixel(p - line.across), before) <= contrast / 3 &&
                    difference(two.pixel(p + 2 * line.across), after) <= contrast / 3;
        }
        if (!sharp) {
            spread.push_back(line.at);
        }
    }
    return spread;
}

// Aligned 2 x 2 blocks of device pixels that are not of one colour: detail finer than a logical
// pixel. A picture drawn for ratio 1 and enlarged has none (enlarged plainly) or about as many as
// the enlarged ratio-1 picture (enlarged smoothly); one drawn for ratio 2 has about twice that.
int blocks_with_detail(const QImage& two) {
    int count = 0;
    for (int y = 0; y + 1 < two.height(); y += 2) {
        for (int x = 0; x + 1 < two.width(); x += 2) {
            const QRgb corner = two.pixel(x, y);
            const int spread = std::max({difference(corner, two.pixel(x + 1, y)),
                                         difference(corner, two.pixel(x, y + 1)),
                                         difference(corner, two.pixel(x + 1, y + 1))});
            count += spread > 60 ? 1 : 0;
        }
    }
    return count;
}

// How far the ratio-2 picture, shrunk to ratio 1, is from the ratio-1 picture: the mean channel
// difference.
double mean_difference(const QImage& one, const QImage& two) {
    const QImage shrunk = two.scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double total = 0;
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x) {
            const QRgb a = one.pixel(x, y), b = shrunk.pixel(x, y);
            total += (std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                      std::abs(qBlue(a) - qBlue(b))) /
                     3.0;
        }
    }
    return total / (one.width() * one.height());
}

class Scale : public ClientTest {};

TEST_F(Scale, DrawnPicturesAreSharpAtTwiceTheDensity) {
    const auto windows = every_window();
    int pictures = 0;
    size_t outline_pixels = 0;
    for (const auto& window : windows) {
        for (QWidget* picture : window->findChildren<QWidget*>()) {
            // A picture box shows a served picture (none here) and, on the login window, a
            // one-pixel border: only its outline is checked.
            const bool picture_box = qobject_cast<ui::PictureBox*>(picture) != nullptr;
            if (!picture_box && qobject_cast<ui::PictureButton*>(picture) == nullptr &&
                dynamic_cast<ui::DrawnPicture*>(picture) == nullptr) {
                continue;
            }
            const std::string name =
                window->objectName().toStdString() + "/" + picture->objectName().toStdString();
            const QImage one = render(picture, 1);
            const QImage two = render(picture, 2);
            ASSERT_EQ(two.size(), one.size() * 2) << name;

            outline_pixels += one_pixel_lines(one).size();
            const std::vector<QPoint> spread = spread_outlines(one, two);
            EXPECT_TRUE(spread.empty())
                << name << ": " << spread.size() << " outline pixels spread, the first at "
                << spread.front().x() - kMargin << "," << spread.front().y() - kMargin;
            if (picture_box) {
                continue;
            }
            ++pictures;
            const QImage enlarged =
                one.scaled(two.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            EXPECT_GE(blocks_with_detail(two), 1.5 * blocks_with_detail(enlarged) + 8)
                << name << " looks like a ratio-1 picture enlarged";
            EXPECT_LT(mean_difference(one, two), 16) << name << " differs from its ratio-1 picture";
        }
    }
    EXPECT_GE(pictures, 20);
    EXPECT_GT(outline_pixels, 5000u);  // the check above saw the plates' and panels' outlines
}

}  // namespace
}  // namespace tamsor::test
