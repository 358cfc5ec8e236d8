#pragma once

#include <time.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

// What the session clients share: the captcha hand-over with the driver, and the clocks.
namespace tamsor::bench {

// The driver answers "captcha" with the code the simulator drew; the wait is the driver's and
// the simulator's time, so it is kept out of the session's wall time.
class SessionClock {
public:
    SessionClock()
        : wall_start_(std::chrono::steady_clock::now()),
          lap_start_(wall_start_),
          cpu_start_(cpu_now()) {}

    // Ends one step of the session; print_result reports each step's wall time.
    void lap(const char* step) {
        const auto now = std::chrono::steady_clock::now();
        laps_.push_back(std::string(step) + "=" +
                        std::to_string(milliseconds(now - lap_start_ - lap_waited_)));
        lap_start_ = now;
        lap_waited_ = {};
    }

    std::string ask_captcha_code() {
        const auto asked = std::chrono::steady_clock::now();
        std::cout << "captcha" << std::endl;
        std::string code;
        std::getline(std::cin, code);
        const auto waited = std::chrono::steady_clock::now() - asked;
        waited_ += waited;
        lap_waited_ += waited;
        return code;
    }

    // "result wall_ms=... cpu_ms=..." and "laps step=ms ..." for the driver.
    void print_result() const {
        const double wall = milliseconds(std::chrono::steady_clock::now() - wall_start_ - waited_);
        std::cout << "result wall_ms=" << wall << " cpu_ms=" << (cpu_now() - cpu_start_) * 1e3
                  << "\nlaps";
        for (const std::string& lap : laps_) {
            std::cout << ' ' << lap;
        }
        std::cout << std::endl;
    }

private:
    static double milliseconds(std::chrono::steady_clock::duration duration) {
        return std::chrono::duration<double, std::milli>(duration).count();
    }

    static double cpu_now() {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }

    std::chrono::steady_clock::time_point wall_start_;
    std::chrono::steady_clock::time_point lap_start_;
    double cpu_start_;
    std::chrono::steady_clock::duration waited_{};
    std::chrono::steady_clock::duration lap_waited_{};
    std::vector<std::string> laps_;
};

}  // namespace tamsor::bench
