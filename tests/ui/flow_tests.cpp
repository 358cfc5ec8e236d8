// The way from the login window to the operations window and back out, driven through the
// windows' controls as a person would.
#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <optional>
#include <thread>

#include "catalogue.h"
#include "ui/picture_box.h"
#include "ui_test_support.h"

namespace tamsor::test {
namespace {

using app::WindowKind;

const QString session_over = "登录已失效，请重新登录。";

class LoginFlow : public ClientTest {
protected:
    bool message_says(const QString& text) const {
        return shown(WindowKind::message) && label_text(WindowKind::message, "标签2") == text;
    }
    void confirm_message() { click(control<QWidget>(WindowKind::message, "图形按钮1")); }
    QString status() const { return label_text(WindowKind::operations, "标签2"); }
    // Holds from `ms` after the condition was first seen to hold: by then the window thread
    // has handled what was posted to it along with what the condition saw.
    static std::function<bool()> a_while_after(std::function<bool()> condition, int ms = 300) {
        auto since = std::make_shared<QElapsedTimer>();
        return [condition = std::move(condition), since, ms] {
            if (!since->isValid() && condition()) {
                since->start();
            }
            return since->isValid() && since->elapsed() > ms;
        };
    }
    // From the shown profile: the forum ends its sessions and a button of the operations window
    // is clicked.
    void end_sessions_and_click(Script& script, const char* button) {
        script.step(
            "profile shown", [this] { return profile_shown(); },
            [this, button] {
                sim_.end_sessions();
                click(control<QWidget>(WindowKind::operations, button));
            });
    }
    // `fetch` finds the session over: the user reads why, closes the login window that comes and
    // goes on with `then`.
    void give_up_offer(Script& script, const std::string& fetch, std::function<void()> then) {
        script
            .step(
                fetch + " finds the session over", [this] { return message_says(session_over); },
                [this] { confirm_message(); })
            .step(
                "login window after " + fetch, [this] { return shown(WindowKind::login); },
                [this] { click(control<QWidget>(WindowKind::login, "图形按钮2")); })
            .step(
                "login given up after " + fetch, [this] { return !window(WindowKind::login); },
                std::move(then));
    }
    // The offer to sign in again is read and taken, up to the new session's profile; then `then`.
    void sign_in_again(Script& script, std::function<void()> then) {
        script
            .step(
                "the session message", [this] { return message_says(session_over); },
                [this] { confirm_message(); })
            .step(
                "login window", [this] { return shown(WindowKind::login); },
                [this] {
                    fill_login(sim_.last_captcha_code());
                    click(control<QWidget>(WindowKind::login, "图形按钮1"));
                })
            .step(
                "signed in again", [this] { return message_says("欢迎回来，登陆成功！"); },
                [this] { confirm_message(); })
            .step(
                "the new session's profile",
                [this] {
                    return !window(WindowKind::login) && !window(WindowKind::message) &&
                           profile_shown();
                },
                std::move(then));
    }
    // From the shown profile: the forum ends its sessions and a refresh starts, whose answer the
    // simulator holds back until released; once it is under way, the button of the operations
    // window is clicked.
    void hold_refresh_of_ended_session(Script& script, std::optional<HeldRequest>& refresh,
                                       const char* then_click) {
        script
            .step(
                "profile shown", [this] { return profile_shown(); },
                [this, &refresh] {
                    refresh.emplace(sim_, "forum", "/");
                    sim_.end_sessions();
                    click(control<QWidget>(WindowKind::operations, "图形按钮2"));
                })
            .step(
                "refresh under way", [&refresh] { return refresh->arrived(); },
                [this, then_click] {
                    click(control<QWidget>(WindowKind::operations, then_click));
                });
    }
};

TEST_F(LoginFlow, StartShowsLoginWindowWithCaptcha) {
    program_->open_window(WindowKind::login);
    ui::BorderlessWindow* login = window(WindowKind::login);
    ASSERT_NE(login, nullptr);
    EXPECT_TRUE(login->isVisible());
    EXPECT_EQ(login->size(), QSize(411, 239));
    EXPECT_EQ(request_count("/class/CAP/codeshow.php?sid=5307"), 1);
    auto* captcha = control<ui::PictureBox>(WindowKind::login, "图片框2");
    ASSERT_NE(captcha, nullptr);
    EXPECT_TRUE(captcha->has_picture());
    // The title names the forum host and ends with a signature.
    QString title_start = " Tamsor登陆 - (" + QString::fromStdString(sim_.forum_host()) + ")";
    EXPECT_TRUE(login->windowTitle().startsWith(title_start));
    EXPECT_GT(login->windowTitle().size(), title_start.size());
    EXPECT_FALSE(login->windowIcon().isNull());

    // The captcha box takes five characters; the password box shows none of what is typed.
    type(WindowKind::login, "编辑框3", "abcdef");
    EXPECT_EQ(control<QLineEdit>(WindowKind::login, "编辑框3")->text(), "abcde");
    EXPECT_EQ(control<QLineEdit>(WindowKind::login, "编辑框2")->echoMode(), QLineEdit::Password);
}

TEST_F(LoginFlow, WrongCaptchaEmptiesTheBoxAndFetchesANewOne) {
    program_->open_window(WindowKind::login);
    ASSERT_TRUE(window(WindowKind::login));
    std::string code = sim_.last_captcha_code();
    fill_login(code == "00000" ? "11111" : "00000");

    QString message;
    QString captcha_box_while_shown = "not seen";
    int captcha_requests_while_shown = -1;
    Script script(stuck());
    script.step(
        "wrong captcha message", [this] { return shown(WindowKind::message); },
        [&] {
            message = label_text(WindowKind::message, "标签2");
            captcha_box_while_shown = control<QLineEdit>(WindowKind::login, "编辑框3")->text();
            captcha_requests_while_shown = request_count("/class/CAP/codeshow.php");
            click(control<QWidget>(WindowKind::message, "图形按钮1"));
        });
    script.start();
    // Enter in the captcha box signs in like the button.
    QTest::keyClick(control<QLineEdit>(WindowKind::login, "编辑框3"), Qt::Key_Return);

    EXPECT_TRUE(script.finished());
    EXPECT_EQ(message, "抱歉！您输入的验证码不正确！");
    EXPECT_EQ(captcha_box_while_shown, "");
    EXPECT_EQ(captcha_requests_while_shown, 1);
    EXPECT_EQ(request_count("/class/CAP/codeshow.php"), 2);
    EXPECT_FALSE(window(WindowKind::message));
    ASSERT_TRUE(window(WindowKind::login));
    EXPECT_TRUE(window(WindowKind::login)->isVisible());
}

TEST_F(LoginFlow, EscOnTheSuccessMessageKeepsTheLoginWindow) {
    program_->open_window(WindowKind::login);
    fill_login(sim_.last_captcha_code());
    Script script(stuck());
    script.step(
        "success message", [this] { return shown(WindowKind::message); },
        [this] { QTest::keyClick(window(WindowKind::message), Qt::Key_Escape); });
    script.start();
    click(control<QWidget>(WindowKind::login, "图形按钮1"));

    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(window(WindowKind::operations));
    EXPECT_TRUE(window(WindowKind::login));
    EXPECT_EQ(request_count("/class/CAP/codeshow.php"), 1);  // no new captcha after success
}

TEST_F(LoginFlow, SignInLeavesOnlyTheOperationsWindowAndEscEndsTheRun) {
    std::vector<QString> statuses;
    bool only_operations = false;
    QString quenda_id, quenda_id_read, level, db;
    int code = run_signed_in([&](Script& script) {
        script.step(
            "profile shown",
            [&] {
                QString status = label_text(WindowKind::operations, "标签2");
                if (statuses.empty() || statuses.back() != status) {
                    statuses.push_back(status);
                }
                return profile_shown();
            },
            [&] {
                only_operations = !window(WindowKind::login) && !window(WindowKind::message) &&
                                  window(WindowKind::operations)->isVisible();
                quenda_id = label_text(WindowKind::operations, "QuendaID");
                auto* id_label = control<QLabel>(WindowKind::operations, "QuendaID");
                quenda_id_read =
                    QAccessible::queryAccessibleInterface(id_label)->text(QAccessible::Name);
                level = label_text(WindowKind::operations, "等级");
                db = label_text(WindowKind::operations, "DB");
                QTest::keyClick(window(WindowKind::operations), Qt::Key_Escape);
            });
    });

    EXPECT_EQ(code, 0);
    EXPECT_FALSE(end_code_);  // the run ended by its own rule, not by end_program
    EXPECT_TRUE(only_operations);
    EXPECT_EQ(quenda_id, "10086");
    EXPECT_EQ(quenda_id_read, "10086");  // a screen reader hears the new caption
    EXPECT_FALSE(level.isEmpty());
    EXPECT_NE(level, "获取中");
    EXPECT_FALSE(db.isEmpty());
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_TRUE(std::find(statuses.begin(), statuses.end(), "状态：100％") != statuses.end());
    EXPECT_EQ(statuses.back(), "状态：暂无操作");
    for (int kind = 0; kind < ui::window_kind_count; ++kind) {
        EXPECT_FALSE(program_->window_exists(static_cast<WindowKind>(kind))) << kind;
    }
}

// A slow captcha answer keeps the window thread in the request wait pump, where timers still
// fire: the form must not be sent before the answer has stored the captcha session cookie.
TEST_F(LoginFlow, SignInWaitsForASlowCaptchaAndSendsItsSessionCookie) {
    sim_.set_request_observer([](const sim::LoggedRequest& request) {
        if (request.target.starts_with("/class/CAP/codeshow.php")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    });
    int code = run_signed_in([&](Script& script) {
        script.step(
            "profile shown", [&] { return profile_shown(); },
            [&] { QTest::keyClick(window(WindowKind::operations), Qt::Key_Escape); });
    });
    EXPECT_EQ(code, 0);
    std::vector<std::string> login_cookies;
    for (const sim::LoggedRequest& request : sim_.request_log()) {
        if (request.method == "POST" && request.target == "/index.php") {
            login_cookies.push_back(request.cookies);
        }
    }
    ASSERT_EQ(login_cookies.size(), 1u);
    EXPECT_TRUE(login_cookies.front().starts_with("CAPSESSID=")) << login_cookies.front();
}

// The refresh after a punch reads the balance again, and the status line rests on what the punch
// earned until another fetch writes it.
TEST_F(LoginFlow, PunchIsConfirmedByTheBalance) {
    QString punch_message, confirmation, db_after_punch;
    int home_fetches_before = 0;
    int code = run_signed_in([&](Script& script) {
        script
            .step(
                "profile shown", [&] { return profile_shown(); },
                [&] {
                    home_fetches_before = home_page_fetches();
                    click(control<QWidget>(WindowKind::operations, "图形按钮1"));
                })
            .step(
                "punch message", [&] { return shown(WindowKind::message); },
                [&] {
                    punch_message = label_text(WindowKind::message, "标签2");
                    // A refresh started just before the punch may store a balance read after it
                    // while the message is open; the punch is still measured from before it.
                    program_->state().db_balance = "133";
                    click(control<QWidget>(WindowKind::message, "图形按钮1"));
                })
            .step(
                "profile fetched again",
                [&] {
                    return !window(WindowKind::message) &&
                           home_page_fetches() > home_fetches_before &&
                           status().startsWith("状态：签到成功");
                },
                [&] {
                    confirmation = status();
                    db_after_punch = label_text(WindowKind::operations, "DB");
                    click(control<QWidget>(WindowKind::operations, "图形按钮2"));
                })
            .step(
                "a refresh of its own",
                [&] {
                    return home_page_fetches() > home_fetches_before + 1 &&
                           status() == "状态：暂无操作";
                },
                [&] { QTest::keyClick(window(WindowKind::operations), Qt::Key_Escape); });
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(punch_message, "恭喜您，签到成功！");
    EXPECT_EQ(confirmation, "状态：签到成功，DB +10");
    EXPECT_EQ(db_after_punch, "133");
}

// The forum ends the session: the operations window says so and offers the login window over
// itself. Closing that window gives up only the offer; signing in there goes on in the same
// operations window with the new session.
TEST_F(LoginFlow, AnEndedSessionIsSignedInAgainInPlace) {
    bool operations_under_login = false;
    QString status_after_giving_up, db_after_giving_up;
    int home_fetches_before = 0;
    auto confirm = [this] { confirm_message(); };
    int code = run_signed_in([&](Script& script) {
        end_sessions_and_click(script, "图形按钮2");
        script
            .step(
                "the profile fetch finds the session over",
                [&] { return message_says(session_over); }, confirm)
            .step(
                "login window over the operations window", [&] { return shown(WindowKind::login); },
                [&] {
                    operations_under_login = shown(WindowKind::operations);
                    click(control<QWidget>(WindowKind::login, "图形按钮2"));
                })
            .step(
                "login given up", [&] { return !window(WindowKind::login); },
                [&] {
                    status_after_giving_up = status();
                    db_after_giving_up = label_text(WindowKind::operations, "DB");
                    click(control<QWidget>(WindowKind::operations, "图形按钮1"));
                })
            .step(
                "the punch finds the session over", [&] { return message_says(session_over); },
                confirm)
            .step(
                "login window again", [&] { return shown(WindowKind::login); },
                [&] {
                    home_fetches_before = home_page_fetches();
                    fill_login(sim_.last_captcha_code());
                    click(control<QWidget>(WindowKind::login, "图形按钮1"));
                })
            .step(
                "signed in again", [&] { return message_says("欢迎回来，登陆成功！"); }, confirm)
            .step(
                "the new session's profile",
                [&] {
                    return !window(WindowKind::login) && !window(WindowKind::message) &&
                           home_page_fetches() > home_fetches_before && profile_shown();
                },
                [&] { QTest::keyClick(window(WindowKind::operations), Qt::Key_Escape); });
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(end_code_) << "giving up the login window ended the program";
    EXPECT_TRUE(operations_under_login);
    EXPECT_EQ(status_after_giving_up, "状态：登录失效");
    EXPECT_EQ(db_after_giving_up, "123") << "the labels keep the last reading";
}

// A refresh sent before the user signed in again finds the old session over only afterwards:
// that says nothing of the new session. The user is not asked to sign in a second time, and the
// new session's profile is not captioned as signed out.
TEST_F(LoginFlow, ALateVerdictOnTheOldSessionOffersNoSecondSignIn) {
    std::optional<HeldRequest> refresh;
    // The answer has only to cross the loopback and be read: a second is ample.
    auto late_answer_taken = a_while_after([&] { return refresh->passed(); }, 1000);
    QString status_after_late_answer;
    bool offered_again = true;
    int code = run_signed_in([&](Script& script) {
        hold_refresh_of_ended_session(script, refresh, "图形按钮1");
        sign_in_again(script, [&] { refresh->release(); });
        script.step("the old refresh's answer taken", late_answer_taken, [&] {
            status_after_late_answer = status();
            offered_again = window(WindowKind::message) || window(WindowKind::login);
            end_run();
        });
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(offered_again);
    EXPECT_EQ(status_after_late_answer.toStdString(), "状态：暂无操作");
}

// The same for a fetch that holds the window thread: the user signs in again from inside its
// wait, and its verdict on the old session comes after.
TEST_F(LoginFlow, ALateVerdictOnTheWindowThreadOffersNoSecondSignIn) {
    const sim::Board& board = sim::boards().front();
    const std::string board_target = "/thread.php?fid=" + std::to_string(board.fid);
    std::optional<HeldRequest> threads;
    auto late_answer_taken = a_while_after([&] { return threads->passed(); }, 1000);
    bool offered_again = true;
    int code = run_signed_in([&](Script& script) {
        end_sessions_and_click(script, "图形按钮4");
        script
            .step(
                "board browser", [&] { return shown(WindowKind::board_browser); },
                [&] {
                    threads.emplace(sim_, "forum", board_target);
                    type(WindowKind::board_browser, "编辑框2",
                         QString::fromStdString("http://" + sim_.forum_host() + board_target));
                    click(control<QWidget>(WindowKind::board_browser, "图形按钮3"));
                })
            .step(
                "thread list under way", [&] { return threads->arrived(); },
                [&] {
                    // Input waits while the thread list does: the refresh is started as one
                    // begun before it would come back, through the window thread's events.
                    control<QAbstractButton>(WindowKind::operations, "图形按钮2")->click();
                });
        sign_in_again(script, [&] { threads->release(); });
        script.step("the old thread list's answer taken", late_answer_taken, [&] {
            offered_again = window(WindowKind::message) || window(WindowKind::login);
            end_run();
        });
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(offered_again);
}

// The session ends while another message is open: that message keeps its text until the user
// closes it, and then the session message comes before the login window.
TEST_F(LoginFlow, AnEndedSessionIsToldAfterTheOpenMessage) {
    const QString no_post_id = "您都没有填写帖子ID！";
    std::optional<HeldRequest> refresh;
    bool login_over_open_message = true;
    auto refresh_failed = a_while_after([&] { return status() == "状态：登录失效"; });
    int code = run_signed_in([&](Script& script) {
        hold_refresh_of_ended_session(script, refresh, "图形按钮5");
        script
            .step(
                "post viewer", [&] { return shown(WindowKind::post_viewer); },
                [&] { click(control<QWidget>(WindowKind::post_viewer, "图形按钮1")); })
            .step(
                "a message of its own", [&] { return message_says(no_post_id); },
                [&] { refresh->release(); })
            .step("the refresh finds the session over", refresh_failed,
                  [&] {
                      login_over_open_message =
                          window(WindowKind::login) != nullptr || !message_says(no_post_id);
                      confirm_message();
                  })
            .step(
                "the session message", [&] { return message_says(session_over); },
                [&] { confirm_message(); })
            .step(
                "login window", [&] { return shown(WindowKind::login); },
                [&] { click(control<QWidget>(WindowKind::login, "图形按钮2")); })
            .step(
                "login given up", [&] { return !window(WindowKind::login); },
                [&] { QTest::keyClick(window(WindowKind::operations), Qt::Key_Escape); });
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(login_over_open_message);
}

// The thread list and the post fetch find the session over as the operations window does, each
// in a window of its own.
TEST_F(LoginFlow, TheBoardAndPostWindowsOfferToSignInAgain) {
    const sim::Board& board = sim::boards().front();
    const QString board_address = QString::fromStdString(
        "http://" + sim_.forum_host() + "/thread.php?fid=" + std::to_string(board.fid));
    const QString post_id = QString::fromStdString("r" + std::to_string(board.fid * 1000 + 1));
    int code = run_signed_in([&](Script& script) {
        end_sessions_and_click(script, "图形按钮4");
        script.step(
            "board browser", [&] { return shown(WindowKind::board_browser); },
            [&] {
                type(WindowKind::board_browser, "编辑框2", board_address);
                click(control<QWidget>(WindowKind::board_browser, "图形按钮3"));
            });
        give_up_offer(script, "the thread list",
                      [&] { click(control<QWidget>(WindowKind::operations, "图形按钮5")); });
        script.step(
            "post viewer", [&] { return shown(WindowKind::post_viewer); },
            [&] {
                type(WindowKind::post_viewer, "编辑框2", post_id);
                click(control<QWidget>(WindowKind::post_viewer, "图形按钮1"));
            });
        give_up_offer(script, "the post fetch",
                      [&] { QTest::keyClick(window(WindowKind::operations), Qt::Key_Escape); });
    });
    EXPECT_EQ(code, 0);
}

TEST_F(LoginFlow, EscInAnEditBoxOfTheLoginWindowEndsTheRun) {
    Script script(stuck());
    script.step(
        "login window", [this] { return shown(WindowKind::login); },
        [this] {
            auto* name = control<QLineEdit>(WindowKind::login, "编辑框1");
            name->setFocus();
            QTest::keyClick(name, Qt::Key_Escape);
        });
    script.start();
    EXPECT_EQ(program_->run(), 0);
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(window(WindowKind::login));
    EXPECT_FALSE(end_code_);
}

TEST_F(LoginFlow, CloseButtonsEndTheProgram) {
    program_->open_window(WindowKind::login);
    auto* cross = control<QWidget>(WindowKind::login, "图形按钮2");
    ASSERT_NE(cross, nullptr);
    // The cross reacts to the release, not to the press.
    QTest::mousePress(cross, Qt::LeftButton);
    EXPECT_FALSE(end_code_);
    QTest::mouseRelease(cross, Qt::LeftButton);
    EXPECT_EQ(end_code_, 0);
}

TEST_F(LoginFlow, AlwaysOnTopSwitchKeepsThePlace) {
    program_->open_window(WindowKind::operations);
    ui::BorderlessWindow* operations = window(WindowKind::operations);
    ASSERT_NE(operations, nullptr);
    operations->move(40, 50);
    QRect place = operations->geometry();
    auto* box = control<QCheckBox>(WindowKind::operations, "选择框1");
    ASSERT_FALSE(box->isChecked());
    EXPECT_FALSE(operations->windowFlags() & Qt::WindowStaysOnTopHint);

    click(box);
    EXPECT_TRUE(operations->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(operations->isVisible());
    EXPECT_EQ(operations->geometry(), place);

    click(box);
    EXPECT_FALSE(operations->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(operations->isVisible());

    // The cross at the top right ends the program.
    click(control<QWidget>(WindowKind::operations, "图形按钮3"));
    EXPECT_EQ(end_code_, 0);
}

}  // namespace
}  // namespace tamsor::test
