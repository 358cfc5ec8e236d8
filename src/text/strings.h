#pragma once

#include <cstdint>
#include <cstring>
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

// Length of the run of ASCII bytes at the start of the text. Markup is mostly ASCII, so this looks
// at eight bytes at a time; it is inline because the decoders call it between every two
// characters of a Chinese text.
inline size_t ascii_prefix(std::string_view text) {
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
    }
    return i;
}

bool contains(std::string_view text, std::string_view part);

}  // namespace tamsor
