#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// What the fuzz targets share: how one input becomes several arguments, and a check that stops
// the run with a message, so a broken promise counts as a crash like any memory error.
namespace tamsor::fuzz {

inline std::string_view input_bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut at zero bytes into `n` arguments; the last one keeps any further zeros. Zero
// never reaches the readers (pages are cut at it), so it is free to use as the separator.
inline std::vector<std::string_view> split_arguments(std::string_view input, size_t n) {
    std::vector<std::string_view> arguments;
    while (arguments.size() + 1 < n) {
        const size_t zero = input.find('\0');
        if (zero == std::string_view::npos) {
            break;
        }
        arguments.push_back(input.substr(0, zero));
        input.remove_prefix(zero + 1);
    }
    arguments.push_back(input);
    arguments.resize(n);
    return arguments;
}

[[noreturn]] inline void fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "broken promise: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

inline void check(bool holds, const char* what, std::string_view detail = {}) {
    if (!holds) {
        fail(what, detail);
    }
}

// Well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
inline bool is_valid_utf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace tamsor::fuzz
