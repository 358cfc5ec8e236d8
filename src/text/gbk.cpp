#include "text/gbk.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tamsor {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One conversion descriptor per direction and thread: iconv_t is not thread safe and
// opening one costs far more than a short conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns the number of input bytes left unconverted
    // where the input stopped being convertible (0 when everything went through).
    size_t convert(std::string_view& input, std::string& output) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t in_left = input.size();
        char buffer[4096];
        while (in_left > 0) {
            char* out = buffer;
            size_t out_left = sizeof buffer;
            size_t result = iconv(cd_, &in, &in_left, &out, &out_left);
            int error = errno;
            output.append(buffer, static_cast<size_t>(out - buffer));
            if (result != static_cast<size_t>(-1) || error == E2BIG) {
                continue;
            }
            break;  // EILSEQ or EINVAL: the caller decides how to step over the bad bytes
        }
        input.remove_prefix(input.size() - in_left);
        return in_left;
    }

private:
    iconv_t cd_;
};

Converter& decoder() {
    thread_local Converter converter("UTF-8", "CP936");
    return converter;
}

Converter& encoder() {
    thread_local Converter converter("CP936", "UTF-8");
    return converter;
}

// Length of the (possibly malformed) UTF-8 character at the start of the text: its lead byte and
// the continuation bytes that follow, at least 1, so a bad sequence never swallows good text.
size_t utf8_character_length(std::string_view text) {
    auto lead = static_cast<unsigned char>(text.front());
    size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    size_t length = 1;
    while (length < expected && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

}  // namespace

std::string gbk_to_utf8(std::string_view gbk) {
    if (is_ascii(gbk)) {
        return std::string(gbk);
    }
    std::string output;
    output.reserve(gbk.size() + gbk.size() / 2);
    Converter& converter = decoder();
    if (!converter.valid()) {
        return output;
    }
    while (converter.convert(gbk, output) > 0) {
        output += kReplacementCharacter;
        gbk.remove_prefix(1);
    }
    return output;
}

std::string utf8_to_gbk(std::string_view utf8) {
    if (is_ascii(utf8)) {
        return std::string(utf8);
    }
    std::string output;
    output.reserve(utf8.size());
    Converter& converter = encoder();
    if (!converter.valid()) {
        return output;
    }
    while (converter.convert(utf8, output) > 0) {
        output += '?';
        utf8.remove_prefix(utf8_character_length(utf8));
    }
    return output;
}

std::string page_text(std::string_view body) {
    return gbk_to_utf8(body.substr(0, body.find('\0')));
}

}  // namespace tamsor
