#include "http/form.h"

#include "text/gbk.h"

namespace tamsor {
namespace {

bool is_kept(unsigned char byte) {
    return byte == '-' || byte == '.' || (byte >= '0' && byte <= '9') ||
           (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

}  // namespace

std::string percent_encode(std::string_view bytes, bool (*keep)(unsigned char byte)) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size());
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (keep(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string url_encode(std::string_view text) {
    return percent_encode(utf8_to_gbk(text), &is_kept);
}

}  // namespace tamsor
