#include "forum/message_texts.h"

namespace tamsor {
namespace {

struct MessageText {
    MessageCode code;
    std::string_view text;
};

constexpr MessageText kMessageTexts[] = {
    {MessageCode::signed_in, success_message},
    {MessageCode::wrong_name_or_password, "登录失败,请检查用户名和密码是否输入正确！"},
    {MessageCode::wrong_captcha, "抱歉！您输入的验证码不正确！"},
    {MessageCode::clicked_too_fast, "您点击的太快。"},
    {MessageCode::reload_and_retry, "请刷新页面后重试！"},
    {MessageCode::punched, "恭喜您，签到成功！"},
    {MessageCode::no_post_id, "您都没有填写帖子ID！"},
    {MessageCode::already_punched, "您已签到过了！"},
    {MessageCode::session_ended, "登录已失效，请重新登录。"},
    {MessageCode::no_answer, "论坛没有回应，请稍后再试。"},
};

}  // namespace

std::string_view message_texts(MessageCode message_code) {
    for (const MessageText& row : kMessageTexts) {
        if (row.code == message_code) {
            return row.text;
        }
    }
    return {};
}

}  // namespace tamsor
