#pragma once

#include <cstdint>
#include <string_view>

namespace tamsor {

inline constexpr std::string_view success_message = "欢迎回来，登陆成功！";

// The message window's text for a message code; "" for a code without text.
std::string_view message_texts(int32_t message_code);

}  // namespace tamsor
