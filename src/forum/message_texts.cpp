#include "forum/message_texts.h"

namespace tamsor {
namespace {

struct MessageText {
    int32_t code;
    std::string_view text;
};

constexpr MessageText kMessageTexts[] = {
    {0, success_message},
    {1, "登录失败,请检查用户名和密码是否输入正确！"},
    {2, "抱歉！您输入的验证码不正确！"},
    {3, "您点击的太快。"},
    {4, "请刷新页面后重试！"},
    {5, "恭喜您，签到成功！"},
    {6, "您都没有填写帖子ID！"},
    {20, "您已签到过了！"},
    {session_ended_code, "登录已失效，请重新登录。"},
    {no_answer_code, "论坛没有回应，请稍后再试。"},
};

}  // namespace

std::string_view message_texts(int32_t message_code) {
    for (const MessageText& row : kMessageTexts) {
        if (row.code == message_code) {
            return row.text;
        }
    }
    return {};
}

}  // namespace tamsor
