#pragma once

#include <cstdint>
#include <string_view>

namespace tamsor {

// What an operation hands the message window to say, as the number message_code holds. The
// numbers are fixed: a code keeps its number when codes are added.
enum class MessageCode : int32_t {
    signed_in = 0,
    wrong_name_or_password = 1,
    wrong_captcha = 2,
    clicked_too_fast = 3,
    reload_and_retry = 4,
    punched = 5,
    no_post_id = 6,
    already_punched = 20,
    // The client's own, beyond the forum's answers: the forum ended the session, and the forum
    // gave no answer the client knows.
    session_ended = 21,
    no_answer = 22,
};

inline constexpr std::string_view success_message = "欢迎回来，登陆成功！";

// The message window's text for a message code; "" for a code without text.
std::string_view message_texts(MessageCode message_code);

}  // namespace tamsor
