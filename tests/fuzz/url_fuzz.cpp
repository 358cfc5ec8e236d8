// Cutting values out of pages and taking URLs apart: text_between, url_host, url_port, url_path
// and the form encoding of values.
#include <cctype>

#include "fuzz_support.h"
#include "http/form.h"
#include "http/url.h"
#include "text/gbk.h"

using namespace tamsor;

namespace {

bool is_form_byte(char c) {
    return c == '-' || c == '.' || c == '%' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

int hex_value(char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

void check_form_encoding(std::string_view value) {
    const std::string encoded = url_encode(value);
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        fuzz::check(is_form_byte(encoded[i]), "form values hold safe bytes only", encoded);
        if (encoded[i] != '%') {
            decoded += encoded[i];
            continue;
        }
        fuzz::check(i + 2 < encoded.size(), "an escape has two digits", encoded);
        const char high = encoded[i + 1];
        const char low = encoded[i + 2];
        fuzz::check(std::isxdigit(static_cast<unsigned char>(high)) && !std::islower(high) &&
                        std::isxdigit(static_cast<unsigned char>(low)) && !std::islower(low),
                    "escapes are upper-case hex", encoded);
        decoded += static_cast<char>(hex_value(high) * 16 + hex_value(low));
        i += 2;
    }
    fuzz::check(decoded == utf8_to_gbk(value), "escapes undo to the GBK bytes", value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string_view> args =
        fuzz::split_arguments(fuzz::input_bytes(data, size), 3);
    const std::string_view text = args[0];

    const std::string cut = text_between(text, args[1], args[2]);
    fuzz::check(cut.empty() || text.find(cut) != std::string_view::npos,
                "a cut value is part of the page");

    const std::string host = url_host(text);
    const std::string host_port = url_host(text, true);
    fuzz::check(host.find('/') == std::string::npos, "a host holds no slash", host);
    fuzz::check(host_port.starts_with(host), "the port follows the host", host_port);
    for (char c : host_port) {
        fuzz::check(!(c >= 'A' && c <= 'Z'), "hosts are lower case", host_port);
    }
    // Nothing is promised about a port that is no number, only that reading it is safe.
    static_cast<void>(url_port(text));
    const std::string path = url_path(text);
    fuzz::check(path.starts_with("/"), "a path starts with a slash", path);

    check_form_encoding(text);
    return 0;
}
