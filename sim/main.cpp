// tamsor-forum-sim: runs the simulated account and forum hosts until interrupted.
#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "simulator.h"
#include "text/gbk.h"

namespace {

void usage() {
    std::cerr
        << "usage: tamsor-forum-sim [--account-port N] [--forum-port N] [--log] [--fault NAME]\n"
           "                        [--session-ttl SECONDS] [--charset gbk|utf-8]\n"
           "                        [--latency MS] [--captcha-queries]\n"
           "--session-ttl ends each session that many seconds after its sign-in, so that the\n"
           "forum asks the client to sign in again\n"
           "--charset utf-8 writes every page in UTF-8 instead of GBK (forms are still GBK)\n"
           "--latency MS makes both hosts answer as if that far away: a new connection waits\n"
           "MS before its first request is read, and every answer MS before it is sent\n"
           "--captcha-queries answers each line read on standard input with the code of the\n"
           "newest captcha picture, and the line \"connections\" with the number of\n"
           "connections each host has accepted (test aids for clients run in processes of\n"
           "their own)\n"
           "fault names:";
    for (auto fault : tamsor::sim::all_faults()) {
        std::cerr << ' ' << tamsor::sim::fault_name(fault);
    }
    std::cerr << '\n';
}

// A whole decimal number from low to high.
bool parse_number(const char* text, long low, long high, long& number) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) {
        return false;
    }
    number = value;
    return true;
}

bool parse_port(const char* text, int& port) {
    long value = 0;
    if (!parse_number(text, 0, 65535, value)) {
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

// A session time in whole seconds, 1 to a year.
bool parse_seconds(const char* text, long& seconds) {
    return parse_number(text, 1, 366L * 24 * 3600, seconds);
}

// Up to ten seconds, in milliseconds.
bool parse_latency(const char* text, long& milliseconds) {
    return parse_number(text, 0, 10000, milliseconds);
}

// The request log and the captcha answers come from different threads.
std::mutex output;

void print_request(const tamsor::sim::LoggedRequest& request) {
    std::lock_guard lock(output);
    std::cout << "[" << request.host << "] " << request.method << ' ' << request.target << '\n';
    for (const auto& [name, value] : request.headers) {
        std::cout << "    " << name << ": " << value << '\n';
    }
    if (!request.body.empty()) {
        std::cout << "    body (" << request.body.size()
                  << " bytes, shown decoded from GBK): " << tamsor::gb18030_to_utf8(request.body)
                  << '\n';
    }
    std::cout.flush();
}

// Benchmarks run the client apart from the simulator, so they cannot read the captcha code from
// the simulator object; they ask for it here after each captcha picture has arrived, and for the
// connections a client opened.
void answer_queries(const tamsor::sim::Simulator& simulator) {
    std::string line;
    while (std::getline(std::cin, line)) {
        std::lock_guard lock(output);
        if (line == "connections") {
            const auto counts = simulator.connections_accepted();
            std::cout << "connections: account=" << counts.account << " forum=" << counts.forum
                      << std::endl;
        } else {
            std::cout << "captcha code: " << simulator.last_captcha_code() << std::endl;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int account_port = TAMSOR_SIM_ACCOUNT_PORT;
    int forum_port = TAMSOR_SIM_FORUM_PORT;
    bool log = false;
    bool captcha_queries = false;
    long session_ttl = 0;
    long latency = 0;
    auto fault = tamsor::sim::Fault::none;
    auto charset = tamsor::sim::Charset::gbk;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--account-port" && has_value && parse_port(argv[i + 1], account_port)) {
            ++i;
        } else if (arg == "--forum-port" && has_value && parse_port(argv[i + 1], forum_port)) {
            ++i;
        } else if (arg == "--fault" && has_value && tamsor::sim::fault_from_name(argv[i + 1])) {
            fault = *tamsor::sim::fault_from_name(argv[++i]);
        } else if (arg == "--session-ttl" && has_value && parse_seconds(argv[i + 1], session_ttl)) {
            ++i;
        } else if (arg == "--latency" && has_value && parse_latency(argv[i + 1], latency)) {
            ++i;
        } else if (arg == "--charset" && has_value && tamsor::sim::charset_from_name(argv[i + 1])) {
            charset = *tamsor::sim::charset_from_name(argv[++i]);
        } else if (arg == "--log") {
            log = true;
        } else if (arg == "--captcha-queries") {
            captcha_queries = true;
        } else {
            usage();
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }

    // Signals are taken by sigwait below; every server thread inherits the blocked set.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    tamsor::sim::Simulator simulator;
    if (log) {
        simulator.set_request_observer(print_request);
    }
    simulator.set_fault(fault);
    simulator.set_session_ttl(std::chrono::seconds(session_ttl));
    simulator.set_charset(charset);
    simulator.set_latency(std::chrono::milliseconds(latency));
    if (!simulator.start(account_port, forum_port)) {
        std::cerr << "tamsor-forum-sim: cannot listen on 127.0.0.1 ports " << account_port
                  << " and " << forum_port << '\n';
        return 1;
    }
    std::cout << "account host: http://" << simulator.account_host() << "\n"
              << "forum host:   http://" << simulator.forum_host() << "\n"
              << "demo accounts (name / password):\n";
    for (const auto& account : tamsor::sim::Simulator::demo_accounts()) {
        std::cout << "    " << account.name << " / " << account.password << '\n';
    }
    if (charset != tamsor::sim::Charset::gbk) {
        std::cout << "pages in " << tamsor::sim::charset_name(charset) << '\n';
    }
    if (fault != tamsor::sim::Fault::none) {
        std::cout << "fault mode: " << tamsor::sim::fault_name(fault) << '\n';
    }
    if (session_ttl > 0) {
        std::cout << "sessions end " << session_ttl << " s after sign-in" << '\n';
    }
    if (latency > 0) {
        std::cout << "answers " << latency << " ms late, new connections " << latency << " ms more"
                  << '\n';
    }
    std::cout << "Ctrl+C stops it." << std::endl;
    if (captcha_queries) {
        std::thread(answer_queries, std::cref(simulator)).detach();
    }

    int received = 0;
    sigwait(&signals, &received);
    std::cout << "stopping" << std::endl;
    simulator.stop();
    return 0;
}
