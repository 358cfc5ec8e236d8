#pragma once

#include <string>
#include <string_view>

// Which charset a page of the forum is written in, and the page as the program's UTF-8 text.
namespace tamsor {

enum class PageCharset { gb18030, utf8 };

// How much of a page is searched for a charset the page declares itself.
inline constexpr size_t kDeclarationWindow = 4096;

// The charset of a page, by the first rule that decides:
//  1. a UTF-8 byte order mark at its start: UTF-8;
//  2. the charset the answer's Content-Type header names;
//  3. the charset the first <meta charset=...> or <meta http-equiv="Content-Type"
//     content="...; charset=..."> tag, or an <?xml ... encoding="..."?> declaration at the
//     start, names within the first kDeclarationWindow bytes;
//  4. GB18030: the forum's own charset.
// A name counts only when it is known: UTF-8, or one of the GBK family (GBK, GB2312, GB18030
// and their other names), which all decode as GB18030. Any other name is passed over, as if
// nothing were named there.
PageCharset page_charset(std::string_view body, std::string_view content_type);

// A page body as the program reads it: the bytes up to the first zero byte, decoded from the
// charset page_charset finds (a byte order mark dropped). Bytes that are not valid in that
// charset become U+FFFD, so the text is always valid UTF-8.
std::string decode_page(std::string_view body, std::string_view content_type);

// The text as valid UTF-8: every ill-formed sequence (as long as it could have been the start of
// a character) becomes one U+FFFD.
std::string repair_utf8(std::string_view text);

}  // namespace tamsor
