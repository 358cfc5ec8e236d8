#include <QApplication>

#include <gtest/gtest.h>

#include "app/program.h"

namespace {

QtMessageHandler default_handler = nullptr;

// The off-screen platform cannot raise windows and says so each time; that is no finding.
void quieter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QStringLiteral("does not support raise()"))) {
        return;
    }
    default_handler(type, context, message);
}

}  // namespace

// The windows need an application object; without a display they draw off screen.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    default_handler = qInstallMessageHandler(quieter);
    QApplication application(argc, argv);
    tamsor::app::Program::install_wait_pump();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
