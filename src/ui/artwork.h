#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// Every picture the windows show is drawn here by the program itself, once, on the window
// thread (QPixmap), and cached.
namespace tamsor::ui {

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
const ButtonLooks& button_looks(ButtonArt art);

// Decorations and panels. Each panel leaves plain room where the windows lay their controls over
// it, with its fixed captions just left of those controls.

// 242 x 87, laid out so that stretched into the login window's 373 x 86 box it shows in true
// proportions. The overload draws the same banner directly at the size it is shown at, which is
// sharper than stretching.
QPixmap logo_banner();
QPixmap logo_banner(QSize shown);
// 232 x 100: 账户信息:, Quenda ID :, 等级 :, D B : and the unit 刀.
QPixmap profile_panel();
// 232 x 144: a framed panel headed 操作功能.
QPixmap operations_panel();
// 232 x 130.
QPixmap credits_picture();
// 376 x 368: 输入帖子ID：, 合成地址：, 帖子内容：, 帖子标题：, 所属板块： with boxes behind the
// post viewer's fields and thumbnails.
QPixmap post_form_background();
// 128, 96, 64, 48 and 32 pixel images.
QIcon application_icon();

// A font family that shows Chinese text: the named family when installed, else an installed CJK
// font, so no character is drawn as a box.
QString font_family(const QString& wanted);

}  // namespace tamsor::ui
