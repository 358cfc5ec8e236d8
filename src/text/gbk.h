#pragma once

#include <string>
#include <string_view>

// The forum speaks code page 936 (GBK); everything inside the program is UTF-8.
// These functions are the only places where text crosses that border.
namespace tamsor {

// Decodes GBK bytes to UTF-8. Bytes that are not valid GBK become U+FFFD and decoding goes on.
std::string gbk_to_utf8(std::string_view gbk);

// Encodes UTF-8 text to GBK. Characters GBK cannot hold, and malformed UTF-8, become "?".
std::string utf8_to_gbk(std::string_view utf8);

// The same, except that a character GBK cannot hold, and malformed UTF-8, keep their own bytes:
// for addresses, where a "?" would start a query.
std::string utf8_to_gbk_keeping_unmapped(std::string_view utf8);

// A page body as the program reads it: the bytes up to the first zero byte, decoded from GBK.
std::string page_text(std::string_view body);

}  // namespace tamsor
