#pragma once

#include <string>
#include <string_view>
#include <vector>

// Small string helpers shared by the whole program. They work on bytes, so on UTF-8 text
// they never split a character as long as the texts searched for are whole characters.
namespace tamsor {

// Replaces every non-overlapping occurrence of `from`, left to right, without rescanning the
// text it put in. An empty `from` leaves the text as it is.
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

// The same replacement done on the text itself: nothing is copied when `from` does not occur,
// and a replacement no longer than `from` closes up the text where it stands.
void replace_all_in_place(std::string& text, std::string_view from, std::string_view to);

// Where `part` next occurs at or after `start`, as std::string_view's find answers, but quicker
// in long pages of markup.
size_t find_text(std::string_view text, std::string_view part, size_t start = 0);

// Splits the text at every occurrence of the separator (an empty text gives no pieces).
std::vector<std::string> split(std::string_view text, std::string_view separator);

// The text without spaces at either end.
std::string_view trim_spaces(std::string_view text);

std::string to_lower_ascii(std::string_view text);

// Length of the run of ASCII bytes at the start of the text.
size_t ascii_prefix(std::string_view text);

bool contains(std::string_view text, std::string_view part);

}  // namespace tamsor
