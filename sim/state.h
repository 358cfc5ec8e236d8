#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "simulator.h"

// What both simulated hosts share: the accounts, the captcha sessions of the account host and
// the signed-in sessions of the forum host. Every member is guarded by `mutex` except `fault` and
// `charset`.
namespace tamsor::sim {

struct Account {
    std::string name;      // UTF-8
    std::string password;  // UTF-8
    int id;
    std::string level;
    long balance;            // DB, in 刀
    std::string punched_on;  // the day of the last successful punch, "" when none
    std::chrono::steady_clock::time_point last_punch_click{};
};

struct ForumSession {
    size_t account;  // index into `accounts`
    std::string verify_hash;
    std::string punch_verify;
    std::chrono::steady_clock::time_point signed_in_at;
};

inline constexpr const char* kCaptchaCookie = "CAPSESSID";
inline constexpr const char* kAuthCookie = "tamsor_auth";
inline constexpr long kPunchReward = 10;

struct SimState {
    SimState();

    // A random token of lower-case hex digits.
    std::string token(size_t length);

    mutable std::mutex mutex;
    std::vector<Account> accounts;
    std::map<std::string, std::string> captcha_codes;  // captcha session -> code, "" once used
    std::map<std::string, ForumSession> sessions;      // sign-in cookie -> session
    std::set<std::string> ended_sessions;              // sign-in cookies of sessions over
    std::chrono::milliseconds session_ttl{0};          // how long a session lasts; 0 for ever
    std::string last_captcha_code;
    std::mt19937 random;
    std::chrono::milliseconds punch_cooldown{3000};
    std::string account_host;  // "127.0.0.1:<port>"
    std::string forum_host;
    std::atomic<Fault> fault{Fault::none};
    std::atomic<Charset> charset{Charset::gbk};
};

}  // namespace tamsor::sim
