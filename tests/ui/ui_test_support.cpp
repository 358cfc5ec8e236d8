#include "ui_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "forum/login.h"
#include "http/http_request.h"
#include "ui/board_browser_window.h"
#include "ui/image_viewer_window.h"
#include "ui/login_window.h"
#include "ui/message_window.h"
#include "ui/operations_window.h"
#include "ui/post_viewer_window.h"

namespace tamsor::test {

bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeout_ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

HeldRequest::HeldRequest(sim::Simulator& sim, const std::string& host, const std::string& target) {
    sim.set_request_observer([gate = gate_, host, target](const sim::LoggedRequest& request) {
        if (request.host != host || request.target != target) {
            return;
        }
        std::unique_lock lock(gate->mutex);
        if (gate->arrived) {
            return;
        }
        gate->arrived = true;
        gate->opened.wait_for(lock, std::chrono::seconds(30), [&gate] { return gate->released; });
        gate->passed = true;
    });
}

bool HeldRequest::arrived() const {
    std::lock_guard lock(gate_->mutex);
    return gate_->arrived;
}

bool HeldRequest::passed() const {
    std::lock_guard lock(gate_->mutex);
    return gate_->passed;
}

void HeldRequest::release() {
    std::lock_guard lock(gate_->mutex);
    gate_->released = true;
    gate_->opened.notify_all();
}

void ClientTest::SetUp() {
    clear_cookie_store();
    ASSERT_TRUE(sim_.start());
    program_ = std::make_unique<app::Program>(ForumHosts{sim_.account_host(), sim_.forum_host()});
    program_->set_end_handler([this](int code) {
        end_code_ = code;
        program_->close_all_windows();
    });
}

void ClientTest::TearDown() {
    if (program_) {
        program_->close_all_windows();
    }
    program_.reset();
    sim_.stop();
}

std::vector<std::unique_ptr<ui::BorderlessWindow>> ClientTest::every_window() const {
    std::vector<std::unique_ptr<ui::BorderlessWindow>> windows;
    windows.emplace_back(new ui::LoginWindow(*program_));
    windows.emplace_back(new ui::MessageWindow(*program_));
    windows.emplace_back(new ui::OperationsWindow(*program_));
    windows.emplace_back(new ui::BoardBrowserWindow(*program_));
    windows.emplace_back(new ui::PostViewerWindow(*program_));
    windows.emplace_back(new ui::ImageViewerWindow(*program_));
    return windows;
}

QString ClientTest::label_text(app::WindowKind kind, const char* name) const {
    auto* label = control<QLabel>(kind, name);
    return label == nullptr ? QString() : label->text();
}

void ClientTest::click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton);
}

void ClientTest::double_click(QWidget* widget, QPoint at) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
}

void ClientTest::type(app::WindowKind kind, const char* edit, const QString& text) {
    auto* box = control<QLineEdit>(kind, edit);
    ASSERT_NE(box, nullptr) << edit;
    box->setFocus();
    QTest::keyClicks(box, text);
}

void ClientTest::fill_login(const std::string& captcha_code) {
    const sim::DemoAccount& account = sim::Simulator::demo_accounts().front();
    type(app::WindowKind::login, "编辑框1", QString::fromStdString(account.name));
    type(app::WindowKind::login, "编辑框2", QString::fromStdString(account.password));
    type(app::WindowKind::login, "编辑框3", QString::fromStdString(captcha_code));
}

void ClientTest::sign_in_without_windows() {
    const ForumHosts& hosts = program_->hosts();
    fetch_url_bytes(hosts.account_url(std::string(captcha_path)));
    const sim::DemoAccount& account = sim::Simulator::demo_accounts().front();
    HttpRequest request;
    request.url = hosts.account_url("/index.php");
    request.method = HttpMethod::post;
    request.post_text =
        login_form_body(hosts, {account.name, account.password, sim_.last_captcha_code()});
    ASSERT_EQ(http_request(request).status, 200);
}

int ClientTest::request_count(const std::string& target_prefix) const {
    int count = 0;
    for (const sim::LoggedRequest& request : sim_.request_log()) {
        if (request.target.rfind(target_prefix, 0) == 0) {
            ++count;
        }
    }
    return count;
}

std::function<void(const std::string&)> ClientTest::stuck() {
    return [this](const std::string& what) {
        std::string windows;
        for (int kind = 0; kind < ui::window_kind_count; ++kind) {
            if (ui::BorderlessWindow* open = program_->window(static_cast<app::WindowKind>(kind))) {
                windows += " " + open->objectName().toStdString();
            }
        }
        ADD_FAILURE() << "script step never became ready: " << what << "; open:" << windows
                      << "; message: "
                      << label_text(app::WindowKind::message, "标签2").toStdString();
        end_run();
    };
}

void ClientTest::end_run() {
    auto* closer = new QTimer(program_.get());
    QObject::connect(closer, &QTimer::timeout, program_.get(),
                     [this] { program_->close_all_windows(); });
    closer->start(10);
    program_->close_all_windows();
}

int ClientTest::home_page_fetches() const {
    int count = 0;
    for (const sim::LoggedRequest& request : sim_.request_log()) {
        count += request.host == "forum" && request.target == "/" ? 1 : 0;
    }
    return count;
}

bool ClientTest::profile_shown() const {
    QString db = label_text(app::WindowKind::operations, "DB");
    return !db.isEmpty() && db != "获取中" &&
           label_text(app::WindowKind::operations, "标签2") == "状态：暂无操作";
}

int ClientTest::run_signed_in(const std::function<void(Script&)>& after_login) {
    using app::WindowKind;
    Script script(stuck());
    script
        .step(
            "login window with captcha",
            // Shown, not merely open: the window exists while its captcha fetch still turns the
            // wait pump, and the simulator logs the request and picks the code before the
            // answer with the session cookie has reached the client.
            [this] {
                return request_count("/class/CAP/codeshow.php") == 1 && shown(WindowKind::login);
            },
            [this] {
                fill_login(sim_.last_captcha_code());
                click(control<QWidget>(WindowKind::login, "图形按钮1"));
            })
        .step(
            "success message",
            [this] { return label_text(WindowKind::message, "标签2") == "欢迎回来，登陆成功！"; },
            [this] { click(control<QWidget>(WindowKind::message, "图形按钮1")); });
    after_login(script);
    script.start();
    int code = program_->run();
    EXPECT_TRUE(script.finished());
    return code;
}

}  // namespace tamsor::test
