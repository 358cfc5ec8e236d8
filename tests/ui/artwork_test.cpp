#include <QFontDatabase>
#include <QImage>
#include <QRawFont>
#include <QtTest>
#include <functional>

#include <gtest/gtest.h>

#include "ui/artwork.h"

using tamsor::ui::button_looks;
using tamsor::ui::ButtonArt;
using tamsor::ui::Drawing;
using tamsor::ui::drawing;

Q_DECLARE_METATYPE(ButtonArt)

namespace {

// The picture in device-independent pixels, so positions match the window tables.
QImage image_of(const QPixmap& pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    if (pixmap.devicePixelRatio() != 1.0) {
        image = image.scaled(pixmap.deviceIndependentSize().toSize(), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    }
    return image;
}

bool same(const QPixmap& a, const QPixmap& b) {
    return a.toImage() == b.toImage();
}

int count_pixels(const QImage& image, const QRect& area,
                 const std::function<bool(const QColor&)>& test) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.alpha() > 128 && test(c) ? 1 : 0;
        }
    }
    return count;
}

int count_pixels(const QPixmap& pixmap, const std::function<bool(const QColor&)>& test) {
    const QImage image = image_of(pixmap);
    return count_pixels(image, image.rect(), test);
}

bool dark(const QColor& c) {
    return c.lightness() < 70;
}
// Caption ink on a light plate; small CJK strokes are antialiased to mid greys.
bool ink(const QColor& c) {
    return c.lightness() < 150;
}
bool red(const QColor& c) {
    return c.red() > 180 && c.green() < 90 && c.blue() < 90;
}
bool green(const QColor& c) {
    return c.green() > c.red() + 60 && c.green() > c.blue() + 30;
}
bool coloured(const QColor& c) {
    return std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 40;
}

// Nothing is drawn where a control will sit: the area holds one colour only.
bool plain(const QImage& image, const QRect& area) {
    const QColor first = image.pixelColor(area.topLeft());
    return count_pixels(image, area, [&](const QColor& c) { return c != first; }) == 0;
}

}  // namespace

class ArtworkTest : public QObject {
    Q_OBJECT

private slots:
    void button_looks_match_their_buttons_data();
    void button_looks_match_their_buttons();
    void cross_is_black_and_turns_red_when_pressed();
    void login_caption_is_black_and_green_under_the_mouse();
    void waiting_look_is_grey();
    void panels_leave_room_for_their_controls_data();
    void panels_leave_room_for_their_controls();
    void logo_banner_size();
    void icon_has_every_square_size();
    void font_fallback_draws_chinese();
    void pictures_are_drawn_once();
};

void ArtworkTest::button_looks_match_their_buttons_data() {
    QTest::addColumn<ButtonArt>("art");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("hover_differs");
    QTest::addColumn<bool>("pressed_differs_from_hover");
    QTest::addColumn<bool>("disabled_differs");
    const struct {
        const char* name;
        ButtonArt art;
        QSize size;
        bool hover, pressed, disabled;
    } rows[] = {
        {"login", ButtonArt::login, {96, 32}, true, true, false},
        {"close_cross", ButtonArt::close_cross, {32, 32}, true, true, false},
        {"close_cross_small", ButtonArt::close_cross_small, {24, 24}, true, true, false},
        {"message_ok", ButtonArt::message_ok, {80, 25}, true, false, false},
        {"punch", ButtonArt::punch, {184, 24}, true, false, false},
        {"refresh", ButtonArt::refresh, {79, 20}, true, true, false},
        {"browse_boards", ButtonArt::browse_boards, {107, 29}, true, true, false},
        {"post_operations", ButtonArt::post_operations, {107, 29}, true, true, false},
        {"placeholder", ButtonArt::placeholder, {216, 80}, true, true, false},
        {"board_badge", ButtonArt::board_badge, {144, 32}, false, false, false},
        {"fetch_boards", ButtonArt::fetch_boards, {65, 28}, true, true, false},
        {"fetch_threads", ButtonArt::fetch_threads, {54, 21}, true, true, true},
        {"fetch_post", ButtonArt::fetch_post, {72, 56}, true, true, false},
    };
    for (const auto& row : rows) {
        QTest::newRow(row.name) << row.art << row.size << row.hover << row.pressed << row.disabled;
    }
}

void ArtworkTest::button_looks_match_their_buttons() {
    QFETCH(ButtonArt, art);
    QFETCH(QSize, size);
    QFETCH(bool, hover_differs);
    QFETCH(bool, pressed_differs_from_hover);
    QFETCH(bool, disabled_differs);
    const auto& looks = button_looks(art, 1);
    for (const QPixmap* look : {&looks.normal, &looks.hover, &looks.pressed, &looks.disabled}) {
        QVERIFY(!look->isNull());
        QCOMPARE(look->deviceIndependentSize().toSize(), size);
        QVERIFY(count_pixels(*look, [](const QColor&) { return true; }) > 0);
    }
    QCOMPARE(!same(looks.hover, looks.normal), hover_differs);
    QCOMPARE(!same(looks.pressed, looks.hover), pressed_differs_from_hover);
    QCOMPARE(!same(looks.disabled, looks.normal), disabled_differs);
    if (hover_differs) {
        QVERIFY(!same(looks.pressed, looks.normal));
    }
}

void ArtworkTest::cross_is_black_and_turns_red_when_pressed() {
    for (const ButtonArt art : {ButtonArt::close_cross, ButtonArt::close_cross_small}) {
        const auto& looks = button_looks(art, 1);
        QVERIFY(count_pixels(looks.normal, dark) > 10);
        QCOMPARE(count_pixels(looks.normal, red), 0);
        QCOMPARE(count_pixels(looks.hover, red), 0);
        QVERIFY(count_pixels(looks.pressed, red) > 10);
        QCOMPARE(count_pixels(looks.pressed, dark), 0);
    }
}

void ArtworkTest::login_caption_is_black_and_green_under_the_mouse() {
    const auto& looks = button_looks(ButtonArt::login, 1);
    QVERIFY(count_pixels(looks.normal, [](const QColor& c) { return c.lightness() < 30; }) > 20);
    QCOMPARE(count_pixels(looks.normal, green), 0);
    QVERIFY(count_pixels(looks.hover, green) > 20);
    QCOMPARE(count_pixels(looks.hover, dark), 0);
}

void ArtworkTest::waiting_look_is_grey() {
    const auto& looks = button_looks(ButtonArt::fetch_threads, 1);
    QVERIFY(count_pixels(looks.normal, coloured) > 0);
    QCOMPARE(count_pixels(looks.disabled, coloured), 0);
}

void ArtworkTest::panels_leave_room_for_their_controls_data() {
    QTest::addColumn<QPixmap>("panel");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QRect>>("captioned");  // each with its caption just to its left
    QTest::addColumn<QList<QRect>>("uncaptioned");
    QTest::newRow("profile") << drawing(Drawing::profile_panel, 1) << QSize(232, 100)
                             << QList<QRect>{{67, 19, 110, 16}, {66, 37, 88, 16}, {66, 57, 62, 16}}
                             << QList<QRect>{{21, 74, 79, 20}, {152, 56, 72, 16}};
    QTest::newRow("operations") << drawing(Drawing::operations_panel, 1) << QSize(232, 144)
                                << QList<QRect>{}
                                << QList<QRect>{
                                       {7, 19, 107, 29}, {119, 19, 107, 29}, {8, 56, 216, 80}};
    QTest::newRow("post form") << drawing(Drawing::post_form, 1) << QSize(376, 368)
                               << QList<QRect>{{97, 23, 132, 20},
                                               {98, 58, 133, 18},
                                               {96, 95, 192, 96},
                                               {98, 216, 256, 24},
                                               {98, 258, 128, 24}}
                               << QList<QRect>{
                                      {16, 304, 80, 48}, {104, 304, 80, 48}, {295, 138, 72, 56}};
    QTest::newRow("credits") << drawing(Drawing::credits, 1) << QSize(232, 130) << QList<QRect>{}
                             << QList<QRect>{};
}

void ArtworkTest::panels_leave_room_for_their_controls() {
    QFETCH(QPixmap, panel);
    QFETCH(QSize, size);
    QFETCH(QList<QRect>, captioned);
    QFETCH(QList<QRect>, uncaptioned);
    QCOMPARE(panel.deviceIndependentSize().toSize(), size);
    const QImage image = image_of(panel);
    for (const QRect& control : captioned + uncaptioned) {
        QVERIFY2(plain(image, control),
                 qPrintable(QStringLiteral("drawn under %1,%2").arg(control.x()).arg(control.y())));
    }
    for (const QRect& control : captioned) {
        const QRect caption(0, control.top(), control.left() - 2, std::min(control.height(), 22));
        QVERIFY2(count_pixels(image, caption, ink) > 10,
                 qPrintable(
                     QStringLiteral("no caption left of %1,%2").arg(control.x()).arg(control.y())));
    }
}

void ArtworkTest::logo_banner_size() {
    const QPixmap banner = drawing(Drawing::logo_banner, 1);
    QCOMPARE(banner.deviceIndependentSize().toSize(), QSize(373, 86));
    QVERIFY(count_pixels(banner, dark) > 100);  // the wordmark is there
}

void ArtworkTest::icon_has_every_square_size() {
    const QIcon icon = tamsor::ui::application_icon();
    QList<QSize> sizes = icon.availableSizes();
    std::sort(sizes.begin(), sizes.end(),
              [](const QSize& a, const QSize& b) { return a.width() < b.width(); });
    QList<QSize> expected;
    for (const int side : tamsor::ui::icon_sides) {
        expected.append(QSize(side, side));
    }
    QCOMPARE(sizes, expected);
    for (const QSize& size : sizes) {
        const QImage image = image_of(icon.pixmap(size));
        QCOMPARE(image.size(), size);
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);  // rounded corner
        QCOMPARE(image.pixelColor(size.width() / 2, size.height() / 8).alpha(), 255);
    }
}

void ArtworkTest::font_fallback_draws_chinese() {
    const auto draws_chinese = [](const QString& family) {
        return QRawFont::fromFont(QFont(family)).supportsCharacter(U'登');
    };
    // The check itself must tell a Latin-only face from a CJK one.
    if (QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans"))) {
        QVERIFY(!draws_chinese(QStringLiteral("DejaVu Sans")));
        QCOMPARE(tamsor::ui::font_family(QStringLiteral("DejaVu Sans")),
                 QStringLiteral("DejaVu Sans"));
    }
    for (const QString& wanted :
         {QStringLiteral("No Such Family 4711"), QStringLiteral("微软雅黑"), QString()}) {
        const QString family = tamsor::ui::font_family(wanted);
        QVERIFY2(QFontDatabase::hasFamily(family), qPrintable(family));
        QVERIFY2(draws_chinese(family), qPrintable(wanted + QStringLiteral(" -> ") + family));
    }
}

void ArtworkTest::pictures_are_drawn_once() {
    QCOMPARE(&button_looks(ButtonArt::login, 1), &button_looks(ButtonArt::login, 1));
    QCOMPARE(drawing(Drawing::logo_banner, 2).cacheKey(),
             drawing(Drawing::logo_banner, 2).cacheKey());
    QCOMPARE(drawing(Drawing::post_form, 1).cacheKey(), drawing(Drawing::post_form, 1).cacheKey());
}

// The checks are QtTest slots (several run over data tables); the window tests' runner runs them
// as one case, so every build and every script that runs the window tests runs these too.
TEST(Artwork, PicturesFitTheirWindows) {
    ArtworkTest test;
    EXPECT_EQ(QTest::qExec(&test), 0) << "see the QtTest lines above";
}
#include "artwork_test.moc"
