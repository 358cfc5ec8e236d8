#pragma once

#include <string>
#include <string_view>

// The forum speaks the GBK family: its pages are GBK, or GB18030, GBK's superset that can write
// every Unicode character; its forms and addresses are GBK. Everything inside the program is
// UTF-8. These functions are the only places where text crosses that border.
namespace tamsor {

// Decodes GB18030 bytes, and so GBK bytes, to UTF-8. The byte 0x80 on its own is the euro sign,
// as in GBK. Bytes that are not valid become U+FFFD, one for each byte that cannot start a
// character, and decoding goes on with the next byte.
std::string gb18030_to_utf8(std::string_view bytes);

// Encodes UTF-8 text to GBK. Characters GBK cannot hold, and malformed UTF-8, become "?".
std::string utf8_to_gbk(std::string_view utf8);

// The same, except that a character GBK cannot hold, and malformed UTF-8, keep their own bytes:
// for addresses, where a "?" would start a query.
std::string utf8_to_gbk_keeping_unmapped(std::string_view utf8);

// Encodes UTF-8 text to GB18030, which holds every character; malformed UTF-8 becomes "?".
std::string utf8_to_gb18030(std::string_view utf8);

}  // namespace tamsor
