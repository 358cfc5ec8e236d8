#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A local stand-in for the account host and the forum host, speaking GBK like the real ones (or
// UTF-8, as a forum that has moved on does). Both listen on 127.0.0.1 only, each on a port of
// its own.
namespace tamsor::sim {

struct LoggedRequest {
    std::string host;                                          // "account" or "forum"
    std::string method;                                        // "GET", "POST", ...
    std::string target;                                        // path and query as sent
    std::vector<std::pair<std::string, std::string>> headers;  // in the order received
    std::string cookies;                                       // the Cookie header, "" when none
    std::string body;                                          // body bytes as received
};

// Misbehaviours a test can switch on; they apply to every answer of both hosts until cleared.
enum class Fault {
    none,
    slow,              // every answer waits about 2 s before it starts
    stall,             // headers and part of the body, then silence (connection held open)
    reset,             // the connection is closed without an answer
    empty_200,         // 200 with an empty body
    error_500,         // 500 with an error page body
    huge_body,         // a body far larger than any page (streamed, about 100 MiB)
    invalid_gbk,       // pages interspersed with bytes that are not valid GBK
    long_line_post,    // post bodies are one 1 MB line full of "<img" and "src" without quotes
    regex_bomb_post,   // post bodies go on with 1 MB of lines of "<img>" and 'src="a' x 1000
    oversize_headers,  // a response header block of over 10 kB, ending with Set-Cookie lines
    redirect_loop,     // every request redirects to itself
    foreign_schemes,   // picture addresses in posts use "file://" and "ftp://"
    cut_pictures,      // pictures, the captcha among them, are complete answers of half their bytes
    trickle,           // every answer's body comes one byte every 100 ms
    big_picture,       // pictures, the captcha among them, are 5000 x 5000 in files of kilobytes
};

// The fault's name as the executable's --fault option takes it ("slow", "empty_200", ...).
std::string fault_name(Fault fault);
std::optional<Fault> fault_from_name(std::string_view name);
const std::vector<Fault>& all_faults();

// The charset the hosts write their pages in. GBK pages write what GBK cannot hold in GB18030, as
// real forums do. Forms and addresses are read as GBK either way.
enum class Charset { gbk, utf8 };

// The charset's name as the executable's --charset option takes it ("gbk", "utf-8").
std::string charset_name(Charset charset);
std::optional<Charset> charset_from_name(std::string_view name);

struct DemoAccount {
    std::string name;      // UTF-8
    std::string password;  // UTF-8
};

class Simulator {
public:
    Simulator();
    ~Simulator();  // stops the servers
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Starts both hosts; port 0 picks a free port. False when a port cannot be bound.
    bool start(int account_port = 0, int forum_port = 0);
    void stop();

    // Both hosts answer as if this far away (see HttpServer::set_latency). Set before start.
    void set_latency(std::chrono::milliseconds latency);
    // Connections each host has accepted since start.
    struct ConnectionCounts {
        int account = 0;
        int forum = 0;
    };
    ConnectionCounts connections_accepted() const;

    int account_port() const;
    int forum_port() const;
    std::string account_host() const;  // "127.0.0.1:<port>"
    std::string forum_host() const;

    void set_fault(Fault fault);
    Fault fault() const;

    // Every page, its Content-Type header and its meta tags, in this charset from now on.
    void set_charset(Charset charset);
    Charset charset() const;

    // Every request both hosts received since start or the last clear, in arrival order (the
    // newest 10000 when there were more).
    std::vector<LoggedRequest> request_log() const;
    void clear_log();
    // Called with every request as it arrives, on the thread that serves it.
    void set_request_observer(std::function<void(const LoggedRequest&)> observer);

    // The code shown by the newest captcha picture (tests type it in like a person would).
    std::string last_captcha_code() const;

    // Forgets today's punches, so a test can punch again.
    void reset_punches();
    // A second punch within this time is "too fast" (3 s unless changed).
    void set_punch_cooldown(std::chrono::milliseconds cooldown);

    // Sessions end this long after their sign-in (0, the default: they last as long as the
    // simulator). The forum then treats their cookie as a run-out session: the home page is the
    // guest page, and boards, posts and the punch send the visitor to the account host's sign-in.
    void set_session_ttl(std::chrono::milliseconds ttl);
    // Ends every session signed in so far, as if each had run out.
    void end_sessions();

    static const std::vector<DemoAccount>& demo_accounts();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tamsor::sim
