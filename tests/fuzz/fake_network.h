#pragma once

#include <string>
#include <string_view>

#include "forum/forum_hosts.h"

// The readers fed whole pages without a network: these targets link this file in place of the
// HTTP layer's http_request and fetch_url_bytes, so every fetch of `page_url` answers the fuzz
// input and every other address (pictures) answers nothing.
namespace tamsor::fuzz {

inline constexpr std::string_view page_url = "http://127.0.0.1:2/";
inline constexpr std::string_view account_host = "127.0.0.1:1";
inline constexpr std::string_view forum_host = "127.0.0.1:2";  // page_url is its root

// Answers page_url with these bytes from now on; the text the reader will see (decoded GBK).
std::string serve_page(std::string_view bytes);
int pages_served();  // fetches of page_url since serve_page

inline ForumHosts hosts() {
    return {std::string(account_host), std::string(forum_host)};
}

}  // namespace tamsor::fuzz
