// Starts the real client program: against a simulator, where it asks for the captcha, and with
// a command line, which it answers without a display.
#include <QProcess>
#include <QProcessEnvironment>

#include "ui_test_support.h"

namespace tamsor::test {
namespace {

TEST(ProgramStart, TheClientFetchesTheCaptchaOnStart) {
    sim::Simulator sim;
    ASSERT_TRUE(sim.start(TAMSOR_TEST_CLIENT_ACCOUNT_PORT, TAMSOR_TEST_CLIENT_FORUM_PORT))
        << "ports " << TAMSOR_TEST_CLIENT_ACCOUNT_PORT << " and " << TAMSOR_TEST_CLIENT_FORUM_PORT
        << " are needed by this test";

    QProcess client;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    client.setProcessEnvironment(environment);
    client.start(TAMSOR_TEST_CLIENT, {});
    ASSERT_TRUE(client.waitForStarted(10000));

    bool asked = wait_until(
        [&] {
            for (const sim::LoggedRequest& request : sim.request_log()) {
                if (request.host == "account" &&
                    request.target == "/class/CAP/codeshow.php?sid=5307") {
                    return true;
                }
            }
            return client.state() == QProcess::NotRunning;
        },
        20000);
    EXPECT_TRUE(asked);
    EXPECT_EQ(client.state(), QProcess::Running) << client.readAllStandardError().toStdString();

    client.kill();
    client.waitForFinished(10000);
}

// --version and --help are answered before the toolkit starts, so they need no display; any other
// argument, the toolkit's own options included, is refused with the usage.
TEST(ProgramStart, TheCommandLineIsAnsweredWithoutADisplay) {
    QProcessEnvironment no_display = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        no_display.remove(variable);
    }
    const struct {
        QStringList arguments;
        int exit_code;
        QString output;  // what stdout starts with
        QString errors;  // what stderr contains
    } runs[] = {
        {{"--version"}, 0, "tamsor " TAMSOR_VERSION "\n", ""},
        {{"--help"}, 0, "Usage: tamsor [-h | --help | --version]", ""},
        {{"--verbose"}, 2, "", "unknown argument '--verbose'"},
        {{"-platform", "offscreen"}, 2, "", "Usage: tamsor"},
    };
    for (const auto& run : runs) {
        QProcess client;
        client.setProcessEnvironment(no_display);
        client.start(TAMSOR_TEST_CLIENT, run.arguments);
        ASSERT_TRUE(client.waitForFinished(10000));
        const QString output = QString::fromUtf8(client.readAllStandardOutput());
        const QString errors = QString::fromUtf8(client.readAllStandardError());
        const std::string what = run.arguments.join(' ').toStdString();
        EXPECT_EQ(client.exitStatus(), QProcess::NormalExit) << what;
        EXPECT_EQ(client.exitCode(), run.exit_code) << what << ": " << errors.toStdString();
        EXPECT_TRUE(run.output.isEmpty() ? output.isEmpty() : output.startsWith(run.output))
            << what << ": " << output.toStdString();
        EXPECT_TRUE(run.errors.isEmpty() ? errors.isEmpty() : errors.contains(run.errors))
            << what << ": " << errors.toStdString();
    }

    // An answer that could not be written is no success for the script that asked.
    QProcess full_disk;
    full_disk.setProcessEnvironment(no_display);
    full_disk.setStandardOutputFile(QStringLiteral("/dev/full"));
    full_disk.start(TAMSOR_TEST_CLIENT, {"--version"});
    ASSERT_TRUE(full_disk.waitForFinished(10000));
    EXPECT_EQ(full_disk.exitCode(), 1);
}

}  // namespace
}  // namespace tamsor::test
