#include "http/url.h"

#include <charconv>

#include "text/strings.h"

namespace tamsor {
namespace {

constexpr std::string_view kQuoteMarker = "#引号";

bool starts_with_http_scheme(std::string_view lower_url) {
    return lower_url.starts_with("http://") || lower_url.starts_with("https://");
}

// Where the host begins: after the scheme, or at the start of a URL without one.
size_t host_start(std::string_view lower_url) {
    if (lower_url.starts_with("https://")) {
        return 8;
    }
    return lower_url.starts_with("http://") ? 7 : 0;
}

}  // namespace

std::string text_between(std::string_view text, std::string_view start_marker,
                         std::string_view end_marker) {
    std::string start = replace_all(start_marker, kQuoteMarker, "\"");
    std::string end = replace_all(end_marker, kQuoteMarker, "\"");
    size_t from = find_text(text, start);
    if (from == std::string_view::npos) {
        return {};
    }
    from += start.size();
    size_t to = find_text(text, end, from);
    if (to == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(from, to - from));
}

std::string url_host(std::string_view url, bool keep_port) {
    std::string lower = to_lower_ascii(url);
    if (lower.empty() || lower.back() != '/') {
        lower += '/';
    }
    // Only a scheme at the very start counts: "host/?next=http://other/" names host, not other.
    if (!starts_with_http_scheme(lower)) {
        lower.insert(0, "http://");
    }
    size_t begin = host_start(lower);
    std::string host = lower.substr(begin, lower.find('/', begin) - begin);
    if (!keep_port) {
        host = host.substr(0, host.find(':'));
    }
    return host;
}

int url_port(std::string_view url) {
    std::string host = url_host(url, true);
    size_t colon = host.rfind(':');
    if (colon != std::string::npos) {
        int port = 0;
        std::from_chars(host.data() + colon + 1, host.data() + host.size(), port);
        return port;
    }
    return to_lower_ascii(url.substr(0, 5)) == "https" ? 443 : 80;
}

std::string url_path(std::string_view url) {
    std::string lower = to_lower_ascii(url);
    size_t begin = host_start(lower);
    size_t host = lower.find(url_host(url), begin);
    size_t slash = lower.find('/', host == std::string::npos ? begin : host);
    if (slash == std::string::npos) {
        return "/";
    }
    return std::string(url.substr(slash));
}

}  // namespace tamsor
