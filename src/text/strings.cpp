#include "text/strings.h"

#include <cstring>

namespace tamsor {
namespace {

// Where `part` next occurs from `start`. The library's find compares the whole part at every
// occurrence of its first byte, and markup is full of '<' and '"'; checking the part's last
// byte first turns most of those away without a call.
size_t find_from(std::string_view text, std::string_view part, size_t start) {
    if (part.size() < 2 || start > text.size() || text.size() - start < part.size()) {
        return text.find(part, start);
    }
    const char* const begin = text.data();
    const char* const last_start = begin + text.size() - part.size();
    for (const char* at = begin + start; at <= last_start; ++at) {
        at = static_cast<const char*>(memchr(at, part.front(), size_t(last_start - at) + 1));
        if (at == nullptr) {
            break;
        }
        if (at[part.size() - 1] == part.back() &&
            memcmp(at + 1, part.data() + 1, part.size() - 2) == 0) {
            return size_t(at - begin);
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    size_t start = 0;
    for (size_t found = find_from(text, from, 0); found != std::string_view::npos;
         found = find_from(text, from, start)) {
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
    size_t found = find_from(text, from, 0);
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
        found = find_from(text, from, read);
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
