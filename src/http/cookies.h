#pragma once

#include <string>
#include <string_view>
#include <vector>

// Merging of a caller-kept cookie text ("name=value; name=value") with the cookies one response
// set. Only used when a caller of http_request supplies its own cookie text.
namespace tamsor {

// Merges `new_cookies` into the jar `cookies` and returns the result, also stored in `cookies`.
// Both texts lose their spaces. Order: this response's cookies first, then old ones it did not
// mention; "name=deleted" drops the cookie.
std::string merge_cookies(std::string& cookies, std::string& new_cookies);

// The item's name: the text before its first "=", trimmed of spaces; the whole item without "=".
std::string cookie_name(std::string_view item);

bool has_cookie_named(const std::vector<std::string>& items, std::string_view name);

// The text with repeated items removed (first occurrence kept), joined by the same separator.
std::string remove_duplicate_items(std::string_view text, std::string_view separator);

// 1-based index of the first entry equal to `text`, -1 when there is none.
int index_of_item(const std::vector<std::string>& items, std::string_view text);

}  // namespace tamsor
