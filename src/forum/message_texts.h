#pragma once

#include <cstdint>
#include <string_view>

namespace tamsor {

inline constexpr std::string_view success_message = "欢迎回来，登陆成功！";

// Codes of the client's own, beyond the forum's answers: the forum ended the session, and the
// forum gave no answer the client knows.
inline constexpr int32_t session_ended_code = 21;
inline constexpr int32_t no_answer_code = 22;

// The message window's text for a message code; "" for a code without text.
std::string_view message_texts(int32_t message_code);

}  // namespace tamsor
