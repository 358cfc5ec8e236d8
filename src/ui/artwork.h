#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <array>

class QPainter;

// Every picture the windows show is drawn here by the program itself, on the window thread
// (QPixmap), once for each pixel density it is shown at, and cached. A picture drawn for two
// device pixels per logical pixel keeps its logical size and is as sharp as the text beside it.
namespace tamsor::ui {

// How many device pixels the painter puts in one logical pixel: 2 on a double-density screen,
// or when a window is rendered into a pixmap of ratio 2.
qreal device_ratio(const QPainter& painter);

// The four looks of a picture button, each of the button's own size. A look that a button does
// not have is a copy of an earlier one.
struct ButtonLooks {
    QPixmap normal;
    QPixmap hover;
    QPixmap pressed;
    QPixmap disabled;
};

// Which picture button. Each has its own caption and colours; sizes are the buttons' sizes.
enum class ButtonArt {
    login,              // 96 x 32, "登陆": black text normally, green under the mouse
    close_cross,        // 32 x 32 cross: black normally, red when pressed
    close_cross_small,  // 24 x 24 cross (operations window)
    message_ok,         // 80 x 25, "确定" (normal, mouse over)
    punch,              // 184 x 24, "一 键 签 到" (normal, mouse over)
    refresh,            // 79 x 20, "刷新信息"
    browse_boards,      // 107 x 29, "浏览板块"
    post_operations,    // 107 x 29, "帖子操作"
    placeholder,        // 216 x 80, "虚拟待位"
    board_badge,        // 144 x 32, decorative badge (one look)
    fetch_boards,       // 65 x 28, "获取"
    fetch_threads,      // 54 x 21, "获取"; disabled look: greyed "等待"
    fetch_post,         // 72 x 56, circular button reading "获取"
};
// The looks drawn for `ratio` device pixels per logical pixel (at least 1, in quarter steps).
const ButtonLooks& button_looks(ButtonArt button, qreal ratio);

// Decorations and panels. Each panel leaves plain room where the windows lay their controls over
// it, with its fixed captions just left of those controls; both take the controls' rectangles
// from ui/panel_layout.h.

enum class Drawing {
    logo_banner,       // 373 x 86, the login window's banner
    profile_panel,     // 232 x 100: 账户信息:, Quenda ID :, 等级 :, D B : and the unit 刀
    operations_panel,  // 232 x 144: a framed panel headed 操作功能
    credits,           // 232 x 130
    post_form,  // 376 x 368: 输入帖子ID：, 合成地址：, 帖子内容：, 帖子标题：, 所属板块：
                // with boxes behind the post viewer's fields and thumbnails
};
// The drawing for `ratio` device pixels per logical pixel (at least 1, in quarter steps).
QPixmap drawing(Drawing which, qreal ratio);

// The program's icon: a square image of the given side, and the icon with every side of
// icon_sides, which the window system picks from for its size and pixel density. The build draws
// the installed icon files from the same code.
inline constexpr std::array<int, 9> icon_sides{16, 22, 24, 32, 48, 64, 96, 128, 256};
QImage icon_image(int side);
QIcon application_icon();

// A font family that shows Chinese text: the named family when installed, else an installed CJK
// font, so no character is drawn as a box.
QString font_family(const QString& wanted);

}  // namespace tamsor::ui
