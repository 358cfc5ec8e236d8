#pragma once

#include <string>

namespace tamsor {

// GET of a URL through http_request with the shared cookie store; the body as text
// (up to its first zero byte, decoded from GBK); "" on failure.
std::string fetch_page_text(const std::string& url);

}  // namespace tamsor
