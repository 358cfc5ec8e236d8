// Every fault of the simulated forum against every window operation, through the real windows:
// nothing crashes, every wait ends within its bound, no window claims a success that did not
// happen, every window says when it got nothing, and once the forum behaves again the same
// windows work. All of it with a forum that writes GBK and again with one that writes UTF-8,
// which must show the same texts.
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <iostream>

#include "catalogue.h"
#include "forum/message_texts.h"
#include "forum/post_reader.h"
#include "http/http_request.h"
#include "ui/picture_box.h"
#include "ui_test_support.h"

namespace tamsor::test {
namespace {

using app::WindowKind;
using sim::Fault;

constexpr auto kStall = std::chrono::milliseconds(300);
// A trickling answer ends when it stays under 1 KiB in this window.
constexpr auto kRateWindow = std::chrono::milliseconds(500);
// The longest any one click may keep the window thread: a few fetches, each failing after the
// stall time-out or the rate window, and the slack of a loaded machine. The product's own limits
// are 30 s of silence, 20 s under 1 KiB and 60 s in all a fetch.
constexpr int kBoundMs = 6000;
constexpr char kPunchSuccess[] = "恭喜您，签到成功！";
constexpr char kNoAnswer[] = "论坛没有回应，请稍后再试。";
constexpr char kFetchFailed[] = "状态：获取失败";
// How long a request of the window thread may go on after Esc.
constexpr qint64 kCancelMs = 500;

// Faults after which no page of either host can be read (a slow answer comes after the
// shortened stall time-out).
bool answerless(Fault fault) {
    return fault == Fault::slow || fault == Fault::stall || fault == Fault::reset ||
           fault == Fault::empty_200 || fault == Fault::error_500 || fault == Fault::huge_body ||
           fault == Fault::redirect_loop || fault == Fault::trickle;
}

class HostileForumTest : public ClientTest {
protected:
    // Short limits, so that every fault ends soon, unless the product's own are asked for.
    explicit HostileForumTest(bool product_limits = false) : product_limits_(product_limits) {}

    void SetUp() override {
        saved_limits_ = http_limits();
        HttpLimits limits;
        if (!product_limits_) {
            limits.connect_timeout = std::chrono::milliseconds(1000);
            limits.stall_timeout = kStall;
            limits.min_rate_window = kRateWindow;
            limits.total_timeout = std::chrono::milliseconds(3000);
            limits.max_body_bytes = 4u << 20;
        }
        set_http_limits(limits);
        ClientTest::SetUp();
        // Whatever opens the message window, its text is written down and it is closed again,
        // also from inside the modal loop that opened it. It is closed, not confirmed: after a
        // sign-in, confirming runs the whole session in the operations window's modal loop,
        // while these tests open that window themselves.
        closer_.setInterval(20);
        QObject::connect(&closer_, &QTimer::timeout, [this] {
            if (shown(WindowKind::message)) {
                messages_.push_back(label_text(WindowKind::message, "标签2").toStdString());
                program_->close_window(WindowKind::message);
            }
        });
        closer_.start();
    }
    void TearDown() override {
        closer_.stop();
        ClientTest::TearDown();
        set_http_limits(saved_limits_);
    }

    // Runs an action on the window thread and says how long it held it.
    qint64 timed(const std::function<void()>& action) {
        QElapsedTimer clock;
        clock.start();
        action();
        return clock.elapsed();
    }

    bool said(const std::string& text) const {
        return std::find(messages_.begin(), messages_.end(), text) != messages_.end();
    }

    QListWidget* list(const char* name) const {
        return control<QListWidget>(WindowKind::board_browser, name);
    }

    std::string board_url() const {
        return "http://" + sim_.forum_host() +
               "/thread.php?fid=" + std::to_string(sim::boards().front().fid);
    }

    // A post whose title and board name look like markup, with a pop-up and body pictures.
    static sim::Thread markup_post() { return sim::threads_of(sim::boards().back()).front(); }

    // Signs in while the forum behaves and opens the operations window.
    void sign_in() {
        sim_.set_fault(Fault::none);
        program_->close_window(WindowKind::login);
        program_->open_window(WindowKind::login);
        ASSERT_TRUE(shown(WindowKind::login));
        fill_login(sim_.last_captcha_code());
        click(control<QWidget>(WindowKind::login, "图形按钮1"));
        ASSERT_TRUE(said(std::string(success_message)));
        program_->open_window(WindowKind::operations);
        ASSERT_TRUE(shown(WindowKind::operations));
    }

    bool product_limits_;
    QTimer closer_;
    std::vector<std::string> messages_;
    HttpLimits saved_limits_;
};

class HostileForum : public HostileForumTest,
                     public ::testing::WithParamInterface<std::tuple<Fault, sim::Charset>> {};

TEST_P(HostileForum, EveryWindowOperationEndsInTimeAndClaimsNothingFalse) {
    const auto [fault, charset] = GetParam();
    sim_.set_charset(charset);
    const bool unreadable = answerless(fault);
    sim_.set_fault(fault);

    // Login: the captcha fetch of the created event, then the login click.
    EXPECT_LT(timed([&] { program_->open_window(WindowKind::login); }), kBoundMs);
    ASSERT_TRUE(shown(WindowKind::login));
    if (unreadable || fault == Fault::cut_pictures) {
        EXPECT_FALSE(control<ui::PictureBox>(WindowKind::login, "图片框2")->has_picture());
    }
    fill_login(sim_.last_captcha_code());
    EXPECT_LT(timed([&] { click(control<QWidget>(WindowKind::login, "图形按钮1")); }), kBoundMs);
    EXPECT_EQ(said(std::string(success_message)), !unreadable);
    if (unreadable) {
        EXPECT_EQ(messages_, std::vector<std::string>{kNoAnswer});
        EXPECT_TRUE(shown(WindowKind::login)) << "the login window stays for another try";
        // Sign in while the forum behaves, so the rest has a session to lose: a new login
        // window, with a captcha the forum really sent.
        ASSERT_NO_FATAL_FAILURE(sign_in());
    } else {
        program_->open_window(WindowKind::operations);
        ASSERT_TRUE(shown(WindowKind::operations));
    }
    EXPECT_FALSE(program_->window_exists(WindowKind::login));
    EXPECT_TRUE(wait_until([&] { return profile_shown(); }, kBoundMs));
    sim_.set_fault(fault);

    // Operations window: a profile fetch, then the punch. The labels are marked so that the end
    // of this fetch can be told from the one before.
    auto* db = control<QLabel>(WindowKind::operations, "DB");
    auto* status = control<QLabel>(WindowKind::operations, "标签2");
    db->setText("-");
    status->setText("-");
    click(control<QWidget>(WindowKind::operations, "图形按钮2"));
    EXPECT_TRUE(wait_until(
        [&] { return status->text() == "状态：暂无操作" || status->text() == kFetchFailed; },
        kBoundMs));
    EXPECT_EQ(status->text() == kFetchFailed, unreadable) << status->text().toStdString();
    EXPECT_EQ(db->text() == "-", unreadable) << "a failed fetch keeps the labels";
    messages_.clear();
    EXPECT_LT(timed([&] { click(control<QWidget>(WindowKind::operations, "图形按钮1")); }),
              kBoundMs);
    EXPECT_EQ(said(kPunchSuccess), !unreadable);
    if (unreadable) {
        EXPECT_EQ(messages_, std::vector<std::string>{kNoAnswer});
    } else {
        EXPECT_TRUE(
            wait_until([&] { return status->text() == "状态：签到成功，DB +10"; }, kBoundMs))
            << status->text().toStdString();
    }

    // Board browser: the directory worker, then a board's threads.
    program_->open_window(WindowKind::board_browser);
    ASSERT_TRUE(shown(WindowKind::board_browser));
    click(control<QWidget>(WindowKind::board_browser, "图形按钮1"));
    EXPECT_TRUE(wait_until(
        [&] {
            const QString caption = label_text(WindowKind::board_browser, "标签4");
            return caption == "状态：完成" || caption == kFetchFailed;
        },
        kBoundMs));
    EXPECT_EQ(label_text(WindowKind::board_browser, "标签4"),
              unreadable ? kFetchFailed : "状态：完成");
    EXPECT_EQ(list("列表框1")->count() == 0, unreadable);

    control<QLineEdit>(WindowKind::board_browser, "编辑框2")
        ->setText(QString::fromStdString(board_url()));
    auto* fetch_threads = control<QWidget>(WindowKind::board_browser, "图形按钮3");
    EXPECT_LT(timed([&] { click(fetch_threads); }), kBoundMs);
    EXPECT_TRUE(fetch_threads->isEnabled()) << "the fetch button is usable again";
    EXPECT_EQ(list("列表框3")->count() == 0, unreadable);
    EXPECT_EQ(label_text(WindowKind::board_browser, "标签9"),
              unreadable ? kFetchFailed : "状态：100％");

    // Post viewer: the read of its created event, pictures and pop-up included.
    program_->state().selected_post_id = "r" + std::to_string(markup_post().tid);
    EXPECT_LT(timed([&] { program_->open_window(WindowKind::post_viewer); }), kBoundMs);
    ASSERT_TRUE(shown(WindowKind::post_viewer));
    const bool pictures_readable =
        !unreadable && fault != Fault::foreign_schemes && fault != Fault::cut_pictures;
    EXPECT_EQ(control<ui::PictureBox>(WindowKind::post_viewer, "图片框3")->has_picture(),
              pictures_readable);
    if (!pictures_readable || fault == Fault::long_line_post) {
        EXPECT_FALSE(control<ui::PictureBox>(WindowKind::post_viewer, "图片框2")->has_picture());
    }
    EXPECT_EQ(label_text(WindowKind::post_viewer, "帖子标题").toStdString(),
              unreadable ? "获取失败" : markup_post().plain);

    // Image viewer: what a double-click on the body picture opens, fetched when it is created.
    choose_body_picture(program_->state());
    EXPECT_LT(timed([&] { program_->open_window(WindowKind::image_viewer); }), kBoundMs);
    ASSERT_TRUE(shown(WindowKind::image_viewer));
    const bool body_picture_readable = pictures_readable && fault != Fault::long_line_post;
    EXPECT_EQ(control<ui::PictureBox>(WindowKind::image_viewer, "图片框1")->has_picture(),
              body_picture_readable);
    program_->close_window(WindowKind::image_viewer);

    // The forum behaves again: the same windows do their work. A directory worker still running
    // would refuse this load, so its finishing is checked too; after a failed load the caption
    // climbs from the start again.
    sim_.set_fault(Fault::none);
    click(control<QWidget>(WindowKind::board_browser, "图形按钮1"));
    EXPECT_TRUE(wait_until(
        [&] { return label_text(WindowKind::board_browser, "标签4") == "状态：完成"; }, kBoundMs));
    click(fetch_threads);
    EXPECT_GT(list("列表框3")->count(), 0);
    click(control<QWidget>(WindowKind::post_viewer, "图形按钮1"));
    EXPECT_EQ(label_text(WindowKind::post_viewer, "帖子标题").toStdString(), markup_post().plain);
    click(control<QWidget>(WindowKind::operations, "图形按钮2"));
    EXPECT_TRUE(wait_until([&] { return profile_shown(); }, kBoundMs));
    for (WindowKind kind :
         {WindowKind::operations, WindowKind::board_browser, WindowKind::post_viewer}) {
        EXPECT_TRUE(shown(kind)) << static_cast<int>(kind);
    }
}

// Requests that hold the window thread, against a forum that answers late or never, with the
// product's limits (30 s of silence, 60 s in all): only Esc can end them soon.
class EscDuringRequest : public HostileForumTest {
protected:
    EscDuringRequest() : HostileForumTest(true) {}

    // Runs the action, pressing Esc on the window 200 ms into it: the action returns soon after,
    // and the window stays open.
    void expect_given_up(WindowKind target, const std::function<void()>& action) {
        QElapsedTimer since_esc;
        QTimer esc;
        esc.setSingleShot(true);
        QObject::connect(&esc, &QTimer::timeout, [&] {
            since_esc.start();
            QTest::keyClick(window(target), Qt::Key_Escape);
        });
        esc.start(200);
        action();
        ASSERT_TRUE(since_esc.isValid()) << "the request ended before Esc";
        std::cout << window(target)->objectName().toStdString() << ": the request gave up "
                  << since_esc.elapsed() << " ms after Esc\n";
        EXPECT_LT(since_esc.elapsed(), kCancelMs);
        QCoreApplication::processEvents();
        EXPECT_TRUE(shown(target)) << "the Esc that cancels does not close the window";
    }
};

TEST_F(EscDuringRequest, GivesUpEveryWindowRequestAndLeavesWorkersAlone) {
    sim_.set_fault(Fault::stall);
    expect_given_up(WindowKind::login, [&] { program_->open_window(WindowKind::login); });
    EXPECT_FALSE(control<ui::PictureBox>(WindowKind::login, "图片框2")->has_picture());
    fill_login("ABCD");
    expect_given_up(WindowKind::login,
                    [&] { click(control<QWidget>(WindowKind::login, "图形按钮1")); });
    EXPECT_TRUE(messages_.empty()) << messages_.front();

    ASSERT_NO_FATAL_FAILURE(sign_in());
    EXPECT_TRUE(wait_until([&] { return profile_shown(); }, kBoundMs));
    sim_.set_fault(Fault::stall);
    messages_.clear();
    expect_given_up(WindowKind::operations,
                    [&] { click(control<QWidget>(WindowKind::operations, "图形按钮1")); });

    program_->open_window(WindowKind::board_browser);
    control<QLineEdit>(WindowKind::board_browser, "编辑框2")
        ->setText(QString::fromStdString(board_url()));
    expect_given_up(WindowKind::board_browser,
                    [&] { click(control<QWidget>(WindowKind::board_browser, "图形按钮3")); });
    EXPECT_EQ(list("列表框3")->count(), 0);
    EXPECT_EQ(label_text(WindowKind::board_browser, "标签9"), "状态：已取消");

    program_->state().selected_post_id = "r" + std::to_string(markup_post().tid);
    expect_given_up(WindowKind::post_viewer,
                    [&] { program_->open_window(WindowKind::post_viewer); });
    EXPECT_EQ(label_text(WindowKind::post_viewer, "帖子标题"), "已取消");

    program_->state().viewer_image_url = "http://" + sim_.forum_host() + "/images/a.jpg";
    expect_given_up(WindowKind::image_viewer,
                    [&] { program_->open_window(WindowKind::image_viewer); });
    EXPECT_FALSE(control<ui::PictureBox>(WindowKind::image_viewer, "图片框1")->has_picture());
    QTest::keyClick(window(WindowKind::image_viewer), Qt::Key_Escape);
    EXPECT_FALSE(program_->window_exists(WindowKind::image_viewer)) << "no request: Esc closes";
    EXPECT_TRUE(messages_.empty()) << messages_.front();

    // A profile fetch on its worker, under way when Esc gives up a post read, still finishes.
    sim_.set_fault(Fault::slow);
    auto* db = control<QLabel>(WindowKind::operations, "DB");
    db->setText("-");
    click(control<QWidget>(WindowKind::operations, "图形按钮2"));
    expect_given_up(WindowKind::post_viewer,
                    [&] { click(control<QWidget>(WindowKind::post_viewer, "图形按钮1")); });
    EXPECT_TRUE(wait_until([&] { return db->text() != "-" && profile_shown(); }, kBoundMs));
    EXPECT_FALSE(db->text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    AllFaults, HostileForum,
    ::testing::Combine(::testing::ValuesIn(sim::all_faults()),
                       ::testing::Values(sim::Charset::gbk, sim::Charset::utf8)),
    [](const ::testing::TestParamInfo<std::tuple<Fault, sim::Charset>>& info) {
        const bool utf8 = std::get<sim::Charset>(info.param) == sim::Charset::utf8;
        return sim::fault_name(std::get<Fault>(info.param)) + (utf8 ? "_in_utf8" : "");
    });

}  // namespace
}  // namespace tamsor::test
