#pragma once

#include <string>

namespace tamsor {

// The two hosts the client talks to, each "host[:port]". The client builds them from its
// build-time constants; tests build their own.
struct ForumHosts {
    std::string account_host;
    std::string forum_host;

    // "http://" + account host + path, e.g. account_url("/index.php").
    std::string account_url(const std::string& path) const {
        return "http://" + account_host + path;
    }
    // "http://" + forum host, no trailing "/".
    std::string forum_base_url() const { return "http://" + forum_host; }
    // The base URL followed by "/"; board, post and picture addresses are built on it.
    std::string forum_root_url() const { return forum_base_url() + "/"; }
};

}  // namespace tamsor
