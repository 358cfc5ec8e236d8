// The floor of the start-up figure: a Qt Widgets program that shows one window of the login
// window's size, with a line of Chinese text in the client's font, and does nothing else. What
// any such program pays for the toolkit, the display connection and the CJK font; the client's
// start-up is read beside it.
//
//   tamsor_start_floor   (exits when its window is closed or the process is ended)
#include <QApplication>
#include <QFont>
#include <QLabel>

int main(int, char** argv) {
    int toolkit_argc = 1;
    QApplication application(toolkit_argc, argv);
    QApplication::setFont(QFont(QStringLiteral("宋体"), 12));
    QLabel window(QStringLiteral("用户名 密码 验证码"));
    window.setWindowTitle(QStringLiteral("Tamsor floor"));
    window.resize(411, 239);
    window.show();
    return QApplication::exec();
}
