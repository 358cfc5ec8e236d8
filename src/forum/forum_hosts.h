#pragma once

#include <string>
#include <string_view>

namespace tamsor {

// The two hosts the client talks to. Each is configured as "host[:port]", spoken to over plain
// http, or as "http://host[:port]" or "https://host[:port]"; every address the client builds for
// a host uses that host's scheme. The client builds them from its build-time constants; tests
// build their own.
struct ForumHosts {
    ForumHosts() = default;
    ForumHosts(std::string_view account, std::string_view forum)
        : account_scheme(scheme_of(account)),
          account_host(without_scheme(account)),
          forum_scheme(scheme_of(forum)),
          forum_host(without_scheme(forum)) {}

    std::string account_scheme = "http";  // "http" or "https"
    std::string account_host;             // "host[:port]"
    std::string forum_scheme = "http";
    std::string forum_host;

    // The account host's scheme, host and path, e.g. account_url("/index.php").
    std::string account_url(const std::string& path) const {
        return account_scheme + "://" + account_host + path;
    }
    // The forum host's scheme and host, no trailing "/".
    std::string forum_base_url() const { return forum_scheme + "://" + forum_host; }
    // The base URL followed by "/"; board, post and picture addresses are built on it.
    std::string forum_root_url() const { return forum_base_url() + "/"; }

private:
    static constexpr std::string_view kSecure = "https://";
    static constexpr std::string_view kPlain = "http://";

    static bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
        if (text.size() < prefix.size()) {
            return false;
        }
        for (size_t i = 0; i < prefix.size(); ++i) {
            const char c = text[i];
            if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != prefix[i]) {
                return false;
            }
        }
        return true;
    }
    static std::string scheme_of(std::string_view configured) {
        return starts_with_ignoring_case(configured, kSecure) ? "https" : "http";
    }
    static std::string without_scheme(std::string_view configured) {
        for (std::string_view scheme : {kSecure, kPlain}) {
            if (starts_with_ignoring_case(configured, scheme)) {
                return std::string(configured.substr(scheme.size()));
            }
        }
        return std::string(configured);
    }
};

}  // namespace tamsor
