#pragma once

#include <string>
#include <string_view>

#include "forum/forum_hosts.h"
#include "memory_network.h"
#include "text/charset.h"

// The readers fed whole pages without a network: through net(), every fetch of `page_url` answers
// the fuzz input and every other address (pictures) answers nothing.
namespace tamsor::fuzz {

inline constexpr std::string_view page_url = "http://127.0.0.1:2/";
inline constexpr std::string_view account_host = "127.0.0.1:1";
inline constexpr std::string_view forum_host = "127.0.0.1:2";  // page_url is its root

inline ForumHosts hosts() {
    return {std::string(account_host), std::string(forum_host)};
}

inline const Network& net() {
    return memory_network::network();
}

// Answers page_url with these bytes from now on; the text the reader will see.
inline std::string serve_page(std::string_view bytes) {
    memory_network::forget_all();
    memory_network::serve(std::string(page_url), bytes);
    return decode_page(bytes, "");
}

// Fetches of page_url since serve_page.
inline int pages_served() {
    return memory_network::pages_answered();
}

}  // namespace tamsor::fuzz
