#include <sys/prctl.h>

#include <QApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "app/program.h"

namespace {

void print_usage(std::FILE* to) {
    std::fprintf(to,
                 "Usage: tamsor [-h | --help | --version]\n"
                 "\n"
                 "A desktop client for the Tamsor forum: sign in, see the account's profile, do "
                 "the daily\npunch, browse boards and threads, and read posts with their "
                 "pictures.\n"
                 "This build talks to the account host %s and the forum host %s.\n"
                 "\n"
                 "  -h, --help  print this text and exit\n"
                 "  --version   print the version and exit\n",
                 TAMSOR_ACCOUNT_HOST, TAMSOR_FORUM_HOST);
}

// A script that reads the answer must not take a full disk or a closed pipe for success.
int answered_on_stdout() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) {
        return 0;
    }
    std::fprintf(stderr, "tamsor: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

// The command line is answered before the toolkit starts, so --version and --help work without
// a display and touch no network. Nothing else is read from it: any other argument is a mistake
// of the caller, told on stderr with exit code 2. Without arguments the program runs.
std::optional<int> answer_command_line(int argc, char* argv[]) {
    if (argc < 2) {
        return std::nullopt;
    }
    const std::string_view argument = argv[1];
    if (argc == 2 && argument == "--version") {
        std::printf("tamsor %s\n", TAMSOR_VERSION);
        return answered_on_stdout();
    }
    if (argc == 2 && (argument == "--help" || argument == "-h")) {
        print_usage(stdout);
        return answered_on_stdout();
    }
    if (argc == 2) {
        std::fprintf(stderr, "tamsor: unknown argument '%s'\n\n", argv[1]);
    } else {
        std::fprintf(stderr, "tamsor: takes at most one argument, %d given\n\n", argc - 1);
    }
    print_usage(stderr);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> answered = answer_command_line(argc, argv)) {
        return *answered;
    }
    // The process holds the password for a while: no core dump may write it to disk, and no
    // other process of the user may read it through ptrace or /proc/<pid>/mem.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    // The toolkit sees the program name only, so its own options are not read either.
    int toolkit_argc = 1;
    QApplication application(toolkit_argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamsor"));
    // Lets the desktop match the windows to the menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("tamsor"));
    tamsor::app::Program::install_wait_pump();

    int code = 0;
    {
        tamsor::app::Program program(tamsor::ForumHosts{TAMSOR_ACCOUNT_HOST, TAMSOR_FORUM_HOST});
        code = program.run();
    }
    // Profile or directory workers may still wait on the network; they are never joined, so the
    // process ends without running the destructors they could race with.
    std::fflush(nullptr);
    std::_Exit(code);
}
