#pragma once

#include <QRect>
#include <QSize>

// Where the windows lay their controls over the drawn panels, in each panel's own coordinates.
// The windows place their controls at these rectangles and the panels draw their captions, wells
// and frames around the same rectangles, so a control cannot drift away from its caption. The
// values are the windows' layouts; the artwork test writes them out again, on its own, to check the
// panels against them.
namespace tamsor::ui {

// The account panel of the operations window (图片框1).
namespace profile_panel {
inline constexpr QSize size(232, 100);
inline constexpr QRect account_id(67, 19, 110, 16);  // label QuendaID, after "Quenda ID :"
inline constexpr QRect level(66, 37, 88, 16);        // label 等级, after "等级 :"
inline constexpr QRect db_balance(66, 57, 62, 16);   // label DB, between "D B :" and "刀"
inline constexpr QRect refresh(21, 74, 79, 20);      // picture button 图形按钮2
}  // namespace profile_panel

// The framed panel of the operations window's actions (图片框2), headed by a tab above them.
namespace operations_panel {
inline constexpr QSize size(232, 144);
inline constexpr QRect browse_boards(7, 19, 107, 29);      // picture button 图形按钮4
inline constexpr QRect post_operations(119, 19, 107, 29);  // picture button 图形按钮5
inline constexpr QRect placeholder(8, 56, 216, 80);        // picture button 图形按钮6
}  // namespace operations_panel

// The form behind the post viewer's fields (its 图片框1).
namespace post_form {
inline constexpr QSize size(376, 368);
inline constexpr QRect post_id(97, 23, 132, 20);         // edit box 编辑框2, "输入帖子ID："
inline constexpr QRect address(98, 58, 133, 18);         // edit box 编辑框3, "合成地址："
inline constexpr QRect body(96, 95, 192, 96);            // text box 编辑框1, "帖子内容："
inline constexpr QRect fetch(295, 138, 72, 56);          // picture button 图形按钮1
inline constexpr QRect title(98, 216, 256, 24);          // label 帖子标题, "帖子标题："
inline constexpr QRect board(98, 258, 128, 24);          // label 板块标签, "所属板块："
inline constexpr QRect body_picture(16, 304, 80, 48);    // picture box 图片框2, "帖内图片"
inline constexpr QRect popup_picture(104, 304, 80, 48);  // picture box 图片框3, "弹出图片"
}  // namespace post_form

}  // namespace tamsor::ui
