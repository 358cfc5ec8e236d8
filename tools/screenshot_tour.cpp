// Walks through every window of the client against a simulator in this process and saves a
// picture of each: tamsor_screenshot_tour <folder>. With --screen <file> it saves the whole
// screen instead, with whatever other programs show on it. scripts/screenshots.sh runs both
// under Xvfb.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QToolTip>

#include <iostream>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "http/http_request.h"
#include "script.h"
#include "simulator.h"
#include "ui/borderless_window.h"

namespace {

using tamsor::app::Program;
using tamsor::app::WindowKind;

class Tour {
public:
    Tour(Program& program, QString folder) : program_(program), folder_(std::move(folder)) {}

    template <class T>
    T* control(WindowKind kind, const char* name) const {
        tamsor::ui::BorderlessWindow* window = program_.window(kind);
        return window == nullptr ? nullptr : window->findChild<T*>(QString::fromUtf8(name));
    }
    QString text(WindowKind kind, const char* label) const {
        auto* found = control<QLabel>(kind, label);
        return found == nullptr ? QString() : found->text();
    }
    void click(WindowKind kind, const char* name) {
        QTest::mouseClick(control<QWidget>(kind, name), Qt::LeftButton);
    }
    void type(WindowKind kind, const char* name, const std::string& text) {
        QTest::keyClicks(control<QLineEdit>(kind, name), QString::fromStdString(text));
    }
    void choose_row(const char* list_name, int row, bool twice) {
        auto* list = control<QListWidget>(WindowKind::board_browser, list_name);
        QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice) {
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
    }
    void save(WindowKind kind, const char* file) {
        QString path = QDir(folder_).filePath(QString::fromUtf8(file));
        if (!program_.window(kind)->grab().save(path)) {
            std::cerr << "cannot write " << path.toStdString() << '\n';
            failed_ = true;
        }
    }
    // The windows as they lie on the screen, the later ones over the earlier, with a tool tip if
    // one is up: each is drawn from its own picture, so no window system needs to be there.
    void save_stack(std::initializer_list<WindowKind> kinds, const char* file) {
        std::vector<QWidget*> stack;
        for (WindowKind kind : kinds) {
            stack.push_back(program_.window(kind));
        }
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->inherits("QTipLabel")) {
                stack.push_back(top);
            }
        }
        QRect area;
        for (QWidget* window : stack) {
            area |= window->geometry();
        }
        const qreal density = stack.front()->devicePixelRatioF();
        QPixmap picture(area.size() * density);
        picture.setDevicePixelRatio(density);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        for (QWidget* window : stack) {
            painter.drawPixmap(window->geometry().topLeft() - area.topLeft(), window->grab());
        }
        painter.end();
        QString path = QDir(folder_).filePath(QString::fromUtf8(file));
        if (!picture.save(path)) {
            std::cerr << "cannot write " << path.toStdString() << '\n';
            failed_ = true;
        }
    }
    // Shows the tool tip of a label the way hovering it does.
    void hover(WindowKind kind, const char* label) {
        auto* found = control<QLabel>(kind, label);
        QToolTip::showText(found->mapToGlobal(QPoint(0, -36)), found->toolTip(), found);
    }
    bool shown(WindowKind kind) const {
        tamsor::ui::BorderlessWindow* window = program_.window(kind);
        return window != nullptr && window->isVisible();
    }
    bool failed() const { return failed_; }
    void fail() { failed_ = true; }

private:
    Program& program_;
    QString folder_;
    bool failed_ = false;
};

}  // namespace

// True once the condition has held for half a second: by then the window system has drawn what
// a step opened or typed, and a picture of the screen shows it.
class Settle {
public:
    bool operator()(bool holds) {
        if (!holds) {
            clock_.invalidate();
            return false;
        }
        if (!clock_.isValid()) {
            clock_.start();
        }
        if (clock_.elapsed() < 500) {
            return false;
        }
        clock_.invalidate();
        return true;
    }

private:
    QElapsedTimer clock_;
};

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc == 3 && std::string_view(argv[1]) == "--screen") {
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen != nullptr && screen->grabWindow(0).save(QString::fromLocal8Bit(argv[2])) ? 0
                                                                                                : 1;
    }
    if (argc != 2) {
        std::cerr << "usage: tamsor_screenshot_tour <folder> | --screen <file>\n";
        return 2;
    }
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    Program::install_wait_pump();
    tamsor::sim::Simulator sim;
    if (!sim.start()) {
        std::cerr << "the simulator could not start\n";
        return 1;
    }
    Program program(tamsor::ForumHosts{sim.account_host(), sim.forum_host()});
    program.set_end_handler([&](int) { program.close_all_windows(); });
    Tour tour(program, QString::fromLocal8Bit(argv[1]));
    const auto& account = tamsor::sim::Simulator::demo_accounts().front();
    Settle settled;
    auto message_up = [&] { return tour.shown(WindowKind::message); };
    auto confirm = [&] { tour.click(WindowKind::message, "图形按钮1"); };

    tamsor::test::Script script([&](const std::string& what) {
        std::cerr << "the tour got stuck at: " << what << '\n';
        tour.fail();
        program.close_all_windows();
    });
    script
        .step(
            "login window",
            // Shown once its captcha answer, and the session cookie with it, has arrived.
            [&] { return tour.shown(WindowKind::login); },
            [&] {
                tour.type(WindowKind::login, "编辑框1", account.name);
                tour.type(WindowKind::login, "编辑框2", account.password);
                tour.type(WindowKind::login, "编辑框3", sim.last_captcha_code());
                tour.save(WindowKind::login, "login.png");
                tour.click(WindowKind::login, "图形按钮1");
            })
        .step(
            "success message", [&] { return tour.shown(WindowKind::message); },
            [&] {
                tour.save(WindowKind::message, "message.png");
                tour.click(WindowKind::message, "图形按钮1");
            })
        .step(
            "profile",
            [&] {
                QString db = tour.text(WindowKind::operations, "DB");
                return !db.isEmpty() && db != "获取中" &&
                       tour.text(WindowKind::operations, "标签2") == "状态：暂无操作";
            },
            [&] {
                tour.save(WindowKind::operations, "operations.png");
                tour.click(WindowKind::operations, "图形按钮1");
            })
        .step("punch message", message_up, confirm)
        .step(
            "punch confirmed",
            [&] { return tour.text(WindowKind::operations, "标签2").startsWith("状态：签到成功"); },
            [&] { tour.hover(WindowKind::operations, "标签2"); })
        .step(
            "tool tip drawn", [&] { return settled(QToolTip::isVisible()); },
            [&] {
                tour.save_stack({WindowKind::operations}, "punch_confirmed.png");
                QToolTip::hideText();
                sim.end_sessions();
                tour.click(WindowKind::operations, "图形按钮2");
            })
        .step(
            "session over", [&] { return settled(tour.shown(WindowKind::message)); },
            [&] {
                tour.save_stack({WindowKind::operations, WindowKind::message}, "session_over.png");
                tour.click(WindowKind::message, "图形按钮1");
            })
        .step(
            "login window again", [&] { return tour.shown(WindowKind::login); },
            [&] {
                tour.type(WindowKind::login, "编辑框1", account.name);
                tour.type(WindowKind::login, "编辑框2", account.password);
                tour.type(WindowKind::login, "编辑框3", sim.last_captcha_code());
            })
        .step(
            "login again drawn", [&] { return settled(true); },
            [&] {
                tour.save_stack({WindowKind::operations, WindowKind::login}, "sign_in_again.png");
                tour.click(WindowKind::login, "图形按钮1");
            })
        .step("signed in again", message_up, confirm)
        .step(
            "profile of the new session",
            [&] {
                return !program.window_exists(WindowKind::login) &&
                       tour.text(WindowKind::operations, "标签2") == "状态：暂无操作";
            },
            [&] { tour.click(WindowKind::operations, "图形按钮4"); })
        .step(
            "board browser", [&] { return tour.shown(WindowKind::board_browser); },
            [&] { tour.click(WindowKind::board_browser, "图形按钮1"); })
        .step(
            "board directory",
            [&] { return tour.text(WindowKind::board_browser, "标签4") == "状态：完成"; },
            [&] {
                tour.choose_row("列表框1", 2, true);
                tour.choose_row("列表框3", 0, false);
            })
        .step(
            "thread list", [] { return true; },
            [&] {
                tour.save(WindowKind::board_browser, "board_browser.png");
                tour.choose_row("列表框3", 0, true);
            })
        .step(
            "post viewer", [&] { return tour.shown(WindowKind::post_viewer); },
            [&] {
                tour.save(WindowKind::post_viewer, "post_viewer.png");
                QTest::mouseDClick(tour.control<QWidget>(WindowKind::post_viewer, "图片框2"),
                                   Qt::LeftButton);
            })
        .step(
            "image viewer", [&] { return tour.shown(WindowKind::image_viewer); },
            [&] {
                tour.save(WindowKind::image_viewer, "image_viewer.png");
                tour.click(WindowKind::image_viewer, "图形按钮1");
            })
        .step(
            "back at the post viewer",
            [&] { return !program.window_exists(WindowKind::image_viewer); },
            [&] { program.close_all_windows(); });
    script.start();
    program.run();
    bool done = script.finished() && !tour.failed();
    std::cout << (done ? "saved the windows in " : "the tour failed; see ") << argv[1] << '\n';
    return done ? 0 : 1;
}
