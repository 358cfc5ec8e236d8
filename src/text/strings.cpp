#include "text/strings.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace tamsor {
namespace {

// How often a byte turns up in a forum page, from 0 (seldom) to 3 (everywhere): markup and
// Chinese text are full of small letters, '<', '"', '=' and bytes above 0x7F, and rarely hold
// capitals or punctuation such as ':' or '_'.
constexpr std::array<uint8_t, 256> kCommonness = [] {
    std::array<uint8_t, 256> commonness{};
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        commonness[size_t(byte)] = 3;
    }
    for (char c : std::string_view("etaoinsrhldcum<>\"=/ .-\r\n\t")) {
        commonness[uint8_t(c)] = 3;
    }
    for (char c : std::string_view("bfgjkpqvwxyz0123456789")) {
        commonness[uint8_t(c)] = 2;
    }
    for (char c : std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZ'")) {
        commonness[uint8_t(c)] = 1;
    }
    return commonness;
}();

// The position in `part` of its least common byte.
size_t rarest_byte(std::string_view part) {
    size_t rarest = 0;
    for (size_t i = 1; i < part.size(); ++i) {
        if (kCommonness[uint8_t(part[i])] < kCommonness[uint8_t(part[rarest])]) {
            rarest = i;
        }
    }
    return rarest;
}

// The library's find looks for the part's first byte and compares at every one it meets, and in
// markup that byte is often '<' or a small letter; looking for the part's least common byte
// instead meets far fewer places to compare. The byte is chosen once for all the searches of a
// replacement, which may be thousands.
class Finder {
public:
    explicit Finder(std::string_view part)
        : part_(part), anchor_(part.size() < 2 ? 0 : rarest_byte(part)) {}

    size_t find(std::string_view text, size_t start) const {
        // Choosing the byte costs more than it saves in a short text.
        constexpr size_t short_text = 256;
        const bool short_search = start > text.size() || text.size() - start < short_text;
        if (short_search || part_.size() < 2 || part_.size() > text.size() - start) {
            return text.find(part_, start);
        }
        const char* const begin = text.data();
        const char* const last_start = begin + text.size() - part_.size();
        for (const char* at = begin + start; at <= last_start; ++at) {
            const void* hit = memchr(at + anchor_, part_[anchor_], size_t(last_start - at) + 1);
            if (hit == nullptr) {
                break;
            }
            at = static_cast<const char*>(hit) - anchor_;
            if (memcmp(at, part_.data(), part_.size()) == 0) {
                return size_t(at - begin);
            }
        }
        return std::string_view::npos;
    }

private:
    std::string_view part_;
    size_t anchor_;
};

}  // namespace

size_t find_text(std::string_view text, std::string_view part, size_t start) {
    return Finder(part).find(text, start);
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return std::string(text);
    }
    const Finder finder(from);
    std::string result;
    result.reserve(text.size());
    size_t start = 0;
    for (size_t found = finder.find(text, 0); found != std::string_view::npos;
         found = finder.find(text, start)) {
        result.append(text, start, found - start);
        result += to;
        start = found + from.size();
    }
    result.append(text, start);
    return result;
}

void replace_all_in_place(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return;
    }
    const Finder finder(from);
    size_t found = finder.find(text, 0);
    if (found == std::string::npos) {
        return;
    }
    if (to.size() > from.size()) {
        text = replace_all(text, from, to);
        return;
    }
    // Moves each kept stretch down over what was removed; `write` never passes `read`, and the
    // search only looks at text from `read` on, which is still the original.
    using chars = std::char_traits<char>;
    size_t write = found;
    size_t read = found;
    while (found != std::string::npos) {
        chars::move(text.data() + write, text.data() + read, found - read);
        write += found - read;
        chars::copy(text.data() + write, to.data(), to.size());
        write += to.size();
        read = found + from.size();
        found = finder.find(text, read);
    }
    chars::move(text.data() + write, text.data() + read, text.size() - read);
    text.resize(write + (text.size() - read));
}

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    size_t start = 0;
    for (size_t found = text.find(separator); found != std::string_view::npos;
         found = text.find(separator, start)) {
        pieces.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

std::string_view trim_spaces(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string to_lower_ascii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace tamsor
