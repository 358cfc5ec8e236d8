#pragma once

#include <httplib.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "forum/forum_hosts.h"
#include "text/gbk.h"

// A forum host that serves exactly the pages a test gives it, to pin a rule to one page.
namespace tamsor::testing {

class PageServer {
public:
    PageServer() {
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            requests_.push_back(request.path);
            auto page = pages_.find(request.path);
            if (page == pages_.end()) {
                response.status = 404;
                return;
            }
            response.set_content(page->second, "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() before the loop runs would be lost and the join would never return.
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~PageServer() {
        server_.stop();
        thread_.join();
    }

    // Serves the UTF-8 text as GBK, like the forum does.
    void set_page(const std::string& path, const std::string& utf8_text) {
        set_bytes(path, utf8_to_gbk(utf8_text));
    }
    void set_bytes(const std::string& path, const std::string& bytes) {
        std::lock_guard lock(mutex_);
        pages_[path] = bytes;
    }
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    ForumHosts hosts() const { return {host(), host()}; }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string url(const std::string& path) const { return "http://" + host() + path; }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> pages_;
    std::vector<std::string> requests_;
};

}  // namespace tamsor::testing
