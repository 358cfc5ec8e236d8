#include "text/charset.h"

#include <algorithm>
#include <optional>

#include "text/gbk.h"
#include "text/strings.h"

namespace tamsor {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

constexpr std::string_view kUtf8Names[] = {"utf-8", "utf8", "unicode-1-1-utf-8"};
constexpr std::string_view kGbkFamilyNames[] = {
    "gbk",     "gb2312",   "gb18030",   "x-gbk",   "cp936",      "ms936",           "windows-936",
    "chinese", "csgb2312", "iso-ir-58", "gb_2312", "gb_2312-80", "csiso58gb231280", "x-gb18030",
    "euc-cn",  "x-euc-cn",
};

template <size_t N>
bool one_of(std::string_view name, const std::string_view (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

std::optional<PageCharset> charset_named(std::string_view lower_name) {
    if (one_of(lower_name, kUtf8Names)) {
        return PageCharset::utf8;
    }
    if (one_of(lower_name, kGbkFamilyNames)) {
        return PageCharset::gb18030;
    }
    return std::nullopt;
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The known charset `key` names in a lower-case text such as "text/html; charset=gbk" or
// `encoding="utf-8"`: the first "key=" followed by a known name decides.
std::optional<PageCharset> named_after(std::string_view lower, std::string_view key) {
    for (size_t at = lower.find(key); at != std::string_view::npos; at = lower.find(key, at + 1)) {
        size_t k = at + key.size();
        while (k < lower.size() && is_space(lower[k])) {
            ++k;
        }
        if (k == lower.size() || lower[k] != '=') {
            continue;
        }
        ++k;
        while (k < lower.size() && (is_space(lower[k]) || lower[k] == '"' || lower[k] == '\'')) {
            ++k;
        }
        const size_t end = lower.find_first_of(" \t\r\n\f;,\"'/>?", k);
        if (auto named = charset_named(lower.substr(k, end - k))) {
            return named;
        }
    }
    return std::nullopt;
}

// What the page says of itself near its start: an XML declaration first, then its meta tags.
std::optional<PageCharset> declared_in_page(std::string_view body) {
    const std::string lower = to_lower_ascii(body.substr(0, kDeclarationWindow));
    const std::string_view window(lower);
    const size_t first = window.find_first_not_of(" \t\r\n\f");
    if (first != std::string_view::npos && window.substr(first).starts_with("<?xml")) {
        const std::string_view declaration = window.substr(first, window.find("?>", first) - first);
        if (auto named = named_after(declaration, "encoding")) {
            return named;
        }
    }
    for (size_t at = window.find("<meta"); at != std::string_view::npos;
         at = window.find("<meta", at + 1)) {
        const std::string_view tag = window.substr(at, window.find('>', at) - at);
        if (auto named = named_after(tag, "charset")) {
            return named;
        }
    }
    return std::nullopt;
}

// Length of the well-formed UTF-8 character at the start of `text`; 0 when it is ill-formed, and
// then `bad` receives the length of the ill-formed part (at least 1), which one U+FFFD replaces.
size_t well_formed_length(std::string_view text, size_t& bad) {
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t follow = 0;
    unsigned low = 0x80, high = 0xBF;  // the range of the first continuation byte
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        follow = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        follow = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        follow = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
    } else {
        bad = 1;
        return 0;
    }
    for (size_t k = 1; k <= follow; ++k) {
        const auto byte = k < text.size() ? static_cast<unsigned char>(text[k]) : 0u;
        if (k == text.size() || byte < low || byte > high) {
            bad = k;
            return 0;
        }
        low = 0x80;
        high = 0xBF;
    }
    return follow + 1;
}

}  // namespace

PageCharset page_charset(std::string_view body, std::string_view content_type) {
    if (body.starts_with(kByteOrderMark)) {
        return PageCharset::utf8;
    }
    if (auto named = named_after(to_lower_ascii(content_type), "charset")) {
        return *named;
    }
    return declared_in_page(body).value_or(PageCharset::gb18030);
}

std::string decode_page(std::string_view body, std::string_view content_type) {
    body = body.substr(0, body.find('\0'));
    if (page_charset(body, content_type) == PageCharset::gb18030) {
        return gb18030_to_utf8(body);
    }
    if (body.starts_with(kByteOrderMark)) {
        body.remove_prefix(kByteOrderMark.size());
    }
    return repair_utf8(body);
}

std::string repair_utf8(std::string_view text) {
    std::string repaired;
    size_t copied = 0;  // text before this is in `repaired` (or, while it is empty, good)
    size_t i = 0;
    while (i < text.size()) {
        i += ascii_prefix(text.substr(i));
        size_t bad = 0;
        while (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x80) {
            const size_t length = well_formed_length(text.substr(i), bad);
            if (length == 0) {
                repaired.append(text.substr(copied, i - copied));
                repaired.append(kReplacement);
                i += bad;
                copied = i;
            } else {
                i += length;
            }
        }
    }
    if (copied == 0) {
        return std::string(text);
    }
    repaired.append(text.substr(copied));
    return repaired;
}

}  // namespace tamsor
