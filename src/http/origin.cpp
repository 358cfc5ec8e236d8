#include "http/origin.h"

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>

#include "text/strings.h"

namespace tamsor {
namespace {

struct Origin {
    std::string scheme;
    std::string host;
    std::string port;
};

struct UrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> url_part(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, flags) != CURLUE_OK) {
        return std::nullopt;
    }
    std::string text(value);
    curl_free(value);
    return to_lower_ascii(text);
}

std::optional<Origin> origin_of(std::string_view address) {
    std::unique_ptr<CURLU, UrlCleanup> url(curl_url());
    if (!url ||
        curl_url_set(url.get(), CURLUPART_URL, std::string(address).c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    auto scheme = url_part(url.get(), CURLUPART_SCHEME);
    auto host = url_part(url.get(), CURLUPART_HOST);
    auto port = url_part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!scheme || !host || !port) {
        return std::nullopt;
    }
    return Origin{*scheme, *host, *port};
}

}  // namespace

bool credentials_may_follow(std::string_view from_url, std::string_view to_url) {
    const auto from = origin_of(from_url);
    const auto to = origin_of(to_url);
    return from && to && from->host == to->host && from->port == to->port &&
           !(from->scheme == "https" && to->scheme != "https");
}

std::string origin_text(std::string_view url) {
    const auto origin = origin_of(url);
    return origin ? origin->scheme + "://" + origin->host + ":" + origin->port : std::string();
}

}  // namespace tamsor
