#include <cctype>
#include <vector>

#include "hosts.h"
#include "text/gbk.h"
#include "text/strings.h"

namespace tamsor::sim {

namespace {

constexpr std::string_view kGbkPage = "text/html; charset=gbk";

}  // namespace

ServerResponse gbk_page(std::string_view utf8_page, int status) {
    ServerResponse response;
    response.status = status;
    response.headers = {{"Content-Type", std::string(kGbkPage)}, {"Cache-Control", "no-cache"}};
    response.body = utf8_to_gb18030(utf8_page);
    return response;
}

std::string percent_encode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (std::isalnum(c) != 0 || c == '-' || c == '.') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

void write_in_charset(ServerResponse& response, Charset charset) {
    if (charset != Charset::utf8 || response.stream) {
        return;  // a streamed page goes out as it is written, in GBK and labelled so
    }
    for (auto& [name, value] : response.headers) {
        if (name == "Content-Type" && value == kGbkPage) {
            value = "text/html; charset=utf-8";
            // GB18030 holds every character, so the page comes back whole.
            response.body = replace_all(
                replace_all(gb18030_to_utf8(response.body), "charset=gbk", "charset=utf-8"),
                "encoding=\"gbk\"", "encoding=\"utf-8\"");
        }
    }
}

std::optional<std::string> query_value(std::string_view query, std::string_view key) {
    for (const auto& item : split(query, "&")) {
        auto equals = item.find('=');
        if (std::string_view(item).substr(0, equals) == key) {
            return equals == std::string::npos ? std::string() : item.substr(equals + 1);
        }
    }
    return std::nullopt;
}

}  // namespace tamsor::sim
