#pragma once

#include <time.h>

#include <chrono>
#include <iostream>
#include <string>

// What the session clients share: the captcha hand-over with the driver, and the clocks.
namespace tamsor::bench {

// The driver answers "captcha" with the code the simulator drew; the wait is the driver's and
// the simulator's time, so it is kept out of the session's wall time.
class SessionClock {
public:
    SessionClock() : wall_start_(std::chrono::steady_clock::now()), cpu_start_(cpu_now()) {}

    std::string ask_captcha_code() {
        const auto asked = std::chrono::steady_clock::now();
        std::cout << "captcha" << std::endl;
        std::string code;
        std::getline(std::cin, code);
        waited_ += std::chrono::steady_clock::now() - asked;
        return code;
    }

    // "result wall_ms=... cpu_ms=..." for the driver.
    void print_result() const {
        const double wall = std::chrono::duration<double, std::milli>(
                                std::chrono::steady_clock::now() - wall_start_ - waited_)
                                .count();
        std::cout << "result wall_ms=" << wall << " cpu_ms=" << (cpu_now() - cpu_start_) * 1e3
                  << std::endl;
    }

private:
    static double cpu_now() {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }

    std::chrono::steady_clock::time_point wall_start_;
    double cpu_start_;
    std::chrono::steady_clock::duration waited_{};
};

}  // namespace tamsor::bench
