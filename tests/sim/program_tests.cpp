#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "sim_fixture.h"
#include "text/strings.h"

extern char** environ;

namespace tamsor::sim_test {
namespace {

using Clock = std::chrono::steady_clock;

// The simulator program run as a child process, its standard output read through a pipe.
class Program {
public:
    explicit Program(std::vector<std::string> arguments) {
        int fds[2];
        if (::pipe(fds) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        arguments.insert(arguments.begin(), TAMSOR_SIM_PROGRAM);
        std::vector<char*> argv;
        for (auto& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, TAMSOR_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }

    // Output up to and including the line that contains `text`; "" when the program ends first.
    std::string read_until(std::string_view text) {
        char c;
        while (!contains(output_, text) && ::read(out_, &c, 1) == 1) {
            output_ += c;
        }
        return contains(output_, text) ? output_ : "";
    }

    // The exit status after the signal, or -1 when the program does not end within 3 s.
    int stop_with(int signal) {
        ::kill(pid_, signal);
        auto deadline = Clock::now() + std::chrono::seconds(3);
        int status = 0;
        while (Clock::now() < deadline) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    int wait_exit() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
};

TEST(SimProgram, ServesThePrintedAddressesAndStopsOnSigterm) {
    clear_cookie_store();
    Program program({"--account-port", "0", "--forum-port", "0", "--fault", "error_500",
                     "--session-ttl", "90", "--charset", "utf-8"});
    std::string output = program.read_until("Ctrl+C");
    ASSERT_FALSE(output.empty());
    EXPECT_TRUE(contains(output, "sessions end 90 s after sign-in"));
    for (const auto& account : sim::Simulator::demo_accounts()) {
        EXPECT_TRUE(contains(output, account.name + " / " + account.password));
    }
    std::string forum = "http://" + text_between(output, "forum host:   http://", "\n");
    std::string account = "http://" + text_between(output, "account host: http://", "\n");
    HttpRequest request;
    request.url = forum + "/";
    HttpResponse error = http_request(request);
    EXPECT_EQ(error.status, 500);
    EXPECT_EQ(error.content_type, "text/html; charset=utf-8");
    request.url = account + "/index.php";
    EXPECT_EQ(http_request(request).status, 500);
    EXPECT_EQ(program.stop_with(SIGTERM), 0);
}

TEST(SimProgram, RejectsUnknownOptionsAndFaults) {
    for (std::vector<std::string> arguments : {std::vector<std::string>{"--fault", "sometimes"},
                                               {"--forum-port", "70000"},
                                               {"--session-ttl", "0"},
                                               {"--session-ttl", "soon"},
                                               {"--charset", "big5"},
                                               {"--latency", "-1"},
                                               {"--bogus"}}) {
        Program program(arguments);
        EXPECT_EQ(program.wait_exit(), 2) << arguments[0];
    }
}

}  // namespace
}  // namespace tamsor::sim_test
