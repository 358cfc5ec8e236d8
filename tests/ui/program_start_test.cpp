// Starts the real client program against a simulator and watches it ask for the captcha.
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

}  // namespace
}  // namespace tamsor::test
