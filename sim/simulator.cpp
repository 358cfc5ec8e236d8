#include "simulator.h"

#include <deque>

#include "faults.h"
#include "hosts.h"
#include "http_server.h"
#include "state.h"

namespace tamsor::sim {
namespace {

// clang-format off
constexpr std::pair<Fault, const char*> kFaultNames[] = {
    {Fault::none, "none"},
    {Fault::slow, "slow"},
    {Fault::stall, "stall"},
    {Fault::reset, "reset"},
    {Fault::empty_200, "empty_200"},
    {Fault::error_500, "error_500"},
    {Fault::huge_body, "huge_body"},
    {Fault::invalid_gbk, "invalid_gbk"},
    {Fault::long_line_post, "long_line_post"},
    {Fault::regex_bomb_post, "regex_bomb_post"},
    {Fault::oversize_headers, "oversize_headers"},
    {Fault::redirect_loop, "redirect_loop"},
    {Fault::foreign_schemes, "foreign_schemes"},
    {Fault::cut_pictures, "cut_pictures"},
    {Fault::trickle, "trickle"},
    {Fault::big_picture, "big_picture"},
};
// clang-format on

using Handler = ServerResponse (*)(SimState&, const ServerRequest&);

}  // namespace

std::string fault_name(Fault fault) {
    for (const auto& [value, name] : kFaultNames) {
        if (value == fault) {
            return name;
        }
    }
    return "";
}

std::optional<Fault> fault_from_name(std::string_view name) {
    for (const auto& [value, text] : kFaultNames) {
        if (name == text) {
            return value;
        }
    }
    return std::nullopt;
}

const std::vector<Fault>& all_faults() {
    static const std::vector<Fault> faults = [] {
        std::vector<Fault> list;
        for (const auto& entry : kFaultNames) {
            list.push_back(entry.first);
        }
        return list;
    }();
    return faults;
}

std::string charset_name(Charset charset) {
    return charset == Charset::utf8 ? "utf-8" : "gbk";
}

std::optional<Charset> charset_from_name(std::string_view name) {
    for (Charset charset : {Charset::gbk, Charset::utf8}) {
        if (name == charset_name(charset)) {
            return charset;
        }
    }
    return std::nullopt;
}

struct Simulator::Impl {
    SimState state;
    std::unique_ptr<HttpServer> account;
    std::unique_ptr<HttpServer> forum;
    std::chrono::milliseconds latency{0};

    // A long-running simulator keeps only the newest requests.
    static constexpr size_t kLogLimit = 10000;

    mutable std::mutex log_mutex;
    std::deque<LoggedRequest> log;
    std::function<void(const LoggedRequest&)> observer;

    ServerResponse answer(const char* host_name, Handler handler, const ServerRequest& request) {
        LoggedRequest entry{host_name,       request.method,           request.target,
                            request.headers, request.header("Cookie"), request.body};
        std::function<void(const LoggedRequest&)> notify;
        {
            std::lock_guard lock(log_mutex);
            log.push_back(entry);
            if (log.size() > kLogLimit) {
                log.pop_front();
            }
            notify = observer;
        }
        if (notify) {
            notify(entry);
        }
        std::string host;
        {
            std::lock_guard lock(state.mutex);
            host = std::string(host_name) == "account" ? state.account_host : state.forum_host;
        }
        Fault fault = state.fault;
        if (auto replaced = fault_instead(fault, host, request)) {
            write_in_charset(*replaced, state.charset);
            return std::move(*replaced);
        }
        ServerResponse response = handler(state, request);
        write_in_charset(response, state.charset);
        apply_fault(fault, response);
        return response;
    }

    std::unique_ptr<HttpServer> server(const char* host_name, Handler handler) {
        return std::make_unique<HttpServer>(
            [this, host_name, handler](const ServerRequest& request) {
                return answer(host_name, handler, request);
            });
    }
};

Simulator::Simulator() : impl_(std::make_unique<Impl>()) {}

Simulator::~Simulator() {
    stop();
}

bool Simulator::start(int account_port, int forum_port) {
    if (impl_->account || impl_->forum) {
        return false;
    }
    auto account = impl_->server("account", handle_account_request);
    auto forum = impl_->server("forum", handle_forum_request);
    account->set_latency(impl_->latency);
    forum->set_latency(impl_->latency);
    if (!account->start(account_port) || !forum->start(forum_port)) {
        return false;  // the servers stop as they go out of scope
    }
    {
        std::lock_guard lock(impl_->state.mutex);
        impl_->state.account_host = "127.0.0.1:" + std::to_string(account->port());
        impl_->state.forum_host = "127.0.0.1:" + std::to_string(forum->port());
    }
    impl_->account = std::move(account);
    impl_->forum = std::move(forum);
    return true;
}

void Simulator::stop() {
    if (impl_->account) {
        impl_->account->stop();
        impl_->account.reset();
    }
    if (impl_->forum) {
        impl_->forum->stop();
        impl_->forum.reset();
    }
}

void Simulator::set_latency(std::chrono::milliseconds latency) {
    impl_->latency = latency;
}

Simulator::ConnectionCounts Simulator::connections_accepted() const {
    return {impl_->account ? impl_->account->connections_accepted() : 0,
            impl_->forum ? impl_->forum->connections_accepted() : 0};
}

int Simulator::account_port() const {
    return impl_->account ? impl_->account->port() : 0;
}

int Simulator::forum_port() const {
    return impl_->forum ? impl_->forum->port() : 0;
}

std::string Simulator::account_host() const {
    return "127.0.0.1:" + std::to_string(account_port());
}

std::string Simulator::forum_host() const {
    return "127.0.0.1:" + std::to_string(forum_port());
}

void Simulator::set_fault(Fault fault) {
    prepare_fault(fault);
    impl_->state.fault = fault;
}

Fault Simulator::fault() const {
    return impl_->state.fault;
}

void Simulator::set_charset(Charset charset) {
    impl_->state.charset = charset;
}

Charset Simulator::charset() const {
    return impl_->state.charset;
}

std::vector<LoggedRequest> Simulator::request_log() const {
    std::lock_guard lock(impl_->log_mutex);
    return {impl_->log.begin(), impl_->log.end()};
}

void Simulator::clear_log() {
    std::lock_guard lock(impl_->log_mutex);
    impl_->log.clear();
}

void Simulator::set_request_observer(std::function<void(const LoggedRequest&)> observer) {
    std::lock_guard lock(impl_->log_mutex);
    impl_->observer = std::move(observer);
}

std::string Simulator::last_captcha_code() const {
    std::lock_guard lock(impl_->state.mutex);
    return impl_->state.last_captcha_code;
}

void Simulator::reset_punches() {
    std::lock_guard lock(impl_->state.mutex);
    for (auto& account : impl_->state.accounts) {
        account.punched_on.clear();
        account.last_punch_click = {};
    }
}

void Simulator::set_punch_cooldown(std::chrono::milliseconds cooldown) {
    std::lock_guard lock(impl_->state.mutex);
    impl_->state.punch_cooldown = cooldown;
}

void Simulator::set_session_ttl(std::chrono::milliseconds ttl) {
    std::lock_guard lock(impl_->state.mutex);
    impl_->state.session_ttl = ttl;
}

void Simulator::end_sessions() {
    std::lock_guard lock(impl_->state.mutex);
    for (const auto& [cookie, session] : impl_->state.sessions) {
        impl_->state.ended_sessions.insert(cookie);
    }
    impl_->state.sessions.clear();
}

const std::vector<DemoAccount>& Simulator::demo_accounts() {
    static const std::vector<DemoAccount> accounts = {
        {"demo", "demo123"},
        {"论坛老友", "p&ss=中文1"},
    };
    return accounts;
}

}  // namespace tamsor::sim
