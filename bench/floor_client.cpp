// The floor of the session benchmark: the same exchanges as a whole client session, made with
// one libcurl handle that only sends the requests and reads the bodies. It cuts nothing but the
// two punch tokens it must send back; every other address comes from the command line.
// --fresh-connections opens a connection for every request, as the client's engine once did, to
// show what that alone costs.
//
//   tamsor_floor_client [--fresh-connections] ACCOUNT_HOST FORUM_HOST NAME PASSWORD
//                       BOARD POST POPUP PICTURE VIEWER
#include <curl/curl.h>

#include <chrono>
#include <iostream>
#include <string>
#include <string_view>

#include "session_timing.h"

namespace tamsor::bench {
namespace {

size_t keep_body(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

class Exchanges {
public:
    explicit Exchanges(bool fresh_connections) : curl_(curl_easy_init()) {
        curl_easy_setopt(curl_, CURLOPT_FRESH_CONNECT, fresh_connections ? 1L : 0L);
        curl_easy_setopt(curl_, CURLOPT_FORBID_REUSE, fresh_connections ? 1L : 0L);
        curl_easy_setopt(curl_, CURLOPT_COOKIEFILE, "");
        curl_easy_setopt(curl_, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, keep_body);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &body_);
    }
    ~Exchanges() { curl_easy_cleanup(curl_); }
    Exchanges(const Exchanges&) = delete;
    Exchanges& operator=(const Exchanges&) = delete;

    const std::string& get(const std::string& url) {
        curl_easy_setopt(curl_, CURLOPT_HTTPGET, 1L);
        return perform(url);
    }
    const std::string& post(const std::string& url, const std::string& form) {
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, form.c_str());
        return perform(url);
    }
    int requests() const { return requests_; }
    size_t bytes() const { return bytes_; }

private:
    const std::string& perform(const std::string& url) {
        body_.clear();
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        curl_easy_perform(curl_);
        ++requests_;
        bytes_ += body_.size();
        return body_;
    }

    CURL* curl_;
    std::string body_;
    int requests_ = 0;
    size_t bytes_ = 0;
};

std::string between(std::string_view text, std::string_view start, std::string_view end) {
    const size_t from = text.find(start);
    if (from == std::string_view::npos) {
        return "";
    }
    const size_t to = text.find(end, from + start.size());
    return to == std::string_view::npos
               ? ""
               : std::string(text.substr(from + start.size(), to - from - start.size()));
}

int run_session(char** args, bool fresh_connections) {
    const std::string account = std::string("http://") + args[1];
    const std::string forum = std::string("http://") + args[2];
    SessionClock clock;
    Exchanges net(fresh_connections);

    net.get(account + "/class/CAP/codeshow.php?sid=5307");
    clock.lap("captcha");
    const std::string code = clock.ask_captcha_code();
    char* name = curl_easy_escape(nullptr, args[3], 0);
    char* forum_host = curl_easy_escape(nullptr, args[2], 0);  // its ':' as "%3A"
    net.post(account + "/index.php",
             std::string("lgt=0&username=") + name + "&password=" + args[4] + "&idcode=" + code +
                 "&forward=http%3A%2F%2F" + forum_host + "&logincd=&app=checklogin");
    curl_free(forum_host);
    curl_free(name);
    clock.lap("login");

    const std::string& home = net.get(forum + "/");
    const std::string verify = between(home, "verifyhash = '", "';var");
    const std::string punch_verify = between(home, "var punchverify = '", "';");
    if (punch_verify.empty()) {
        // A guest's session would take other answers and an extra redirect from here on.
        std::cerr << "the floor did not sign in\n";
        return 1;
    }
    clock.lap("profile");
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    net.post(
        forum + "/jobcenter.php?action=punch&ajax=1&punchverify=" + punch_verify + "&nowtime=" +
            std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
            "&verify=" + verify,
        "step=2");
    clock.lap("punch");

    net.get(forum + "/");
    net.get(forum + "/");
    clock.lap("directory");
    net.get(args[5]);
    clock.lap("threads");
    for (int i = 6; i <= 8; ++i) {  // the post, its pop-up picture and its first picture
        net.get(args[i]);
    }
    clock.lap("post");
    net.get(args[9]);
    clock.lap("viewer");
    clock.print_result();
    std::cout << "check requests=" << net.requests() << " bytes=" << net.bytes() << std::endl;
    return 0;
}

}  // namespace
}  // namespace tamsor::bench

int main(int argc, char** argv) {
    const bool fresh_connections = argc > 1 && std::string_view(argv[1]) == "--fresh-connections";
    if (fresh_connections) {
        --argc;
        ++argv;
    }
    if (argc != 10) {
        std::cerr << "usage: tamsor_floor_client [--fresh-connections] ACCOUNT_HOST FORUM_HOST "
                     "NAME PASSWORD BOARD POST POPUP PICTURE VIEWER\n";
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const int status = tamsor::bench::run_session(argv, fresh_connections);
    curl_global_cleanup();
    return status;
}
