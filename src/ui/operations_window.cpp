#include "ui/operations_window.h"

#include <QCheckBox>
#include <QLabel>

#include <functional>

#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/drawn_picture.h"
#include "ui/panel_layout.h"
#include "ui/picture_button.h"
#include "ui/window_host.h"

namespace tamsor::ui {

namespace {

const QColor red(255, 0, 0);
const QColor orange(255, 128, 0);
const QColor pink_violet(255, 168, 255);
const QColor light_grey(236, 236, 236);

// Forwards the reports of a profile worker to the window thread, where the window may be gone.
// A fetch sent before the user signed in again reports on a session that has ended since: it
// is dropped whole, so that its "signed out" caption does not come over the new session's
// profile, nor its fields over the new session's.
class ProfileReport : public ProfileView {
public:
    ProfileReport(std::shared_ptr<WindowRelay> relay, OperationsWindow* window, int session)
        : relay_(std::move(relay)), window_(window), session_(session) {}

    void set_status(std::string_view status) override {
        post([text = std::string(status)](OperationsWindow* window) { window->set_status(text); });
    }
    void store_field(ProfileField field, std::string_view value) override {
        post([field, text = std::string(value)](OperationsWindow* window) {
            window->store_field(field, text);
        });
    }
    void show_label(ProfileLabel label, std::string_view value) override {
        post([label, text = std::string(value)](OperationsWindow* window) {
            window->show_label(label, text);
        });
    }
    void session_ended() override {
        post([session = session_](OperationsWindow* window) { window->session_ended_in(session); });
    }

private:
    void post(std::function<void(OperationsWindow*)> call) {
        relay_->post([window = window_, session = session_, call = std::move(call)] {
            if (window->in_session(session)) {
                call(window);
            }
        });
    }

    std::shared_ptr<WindowRelay> relay_;
    OperationsWindow* window_;  // used only on the window thread, while the relay holds it alive
    int session_;               // the session the fetch was sent in
};

}  // namespace

OperationsWindow::OperationsWindow(WindowHost& host)
    : BorderlessWindow(QStringLiteral("OperationsWindow"), QSize(248, 502)), host_(host) {
    const QString yahei = QStringLiteral("微软雅黑");
    auto* frame = new OutlineFrame(this, QStringLiteral("外形框1"), {0, 0, 248, 502}, 3, Qt::black);
    make_label(frame, QStringLiteral("标签1"), {40, 8, 168, 16}, QStringLiteral("操作界面"),
               {window_font(QStringLiteral("黑体"), 16, true), {}});
    auto* end = new PictureButton(frame, QStringLiteral("图形按钮3"), {219, 4, 24, 24},
                                  ButtonArt::close_cross_small, QStringLiteral("退出"));
    new SplitterBar(frame, QStringLiteral("VCL分割条1"), {0, 29, 245, 4});
    auto* punch = new PictureButton(frame, QStringLiteral("图形按钮1"), {32, 40, 184, 24},
                                    ButtonArt::punch, QStringLiteral("一键签到"));

    auto* profile =
        new DrawnPicture(frame, QStringLiteral("图片框1"), {QPoint(8, 72), profile_panel::size},
                         Drawing::profile_panel, QStringLiteral("账户信息"));
    const QString fetching = QStringLiteral("获取中");
    quenda_id_ = make_label(profile, QStringLiteral("QuendaID"), profile_panel::account_id,
                            fetching, {window_font(yahei, 12), red});
    level_ = make_label(profile, QStringLiteral("等级"), profile_panel::level, fetching,
                        {window_font(yahei, 14, true), orange});
    db_ = make_label(profile, QStringLiteral("DB"), profile_panel::db_balance, fetching,
                     {window_font(yahei, 14, true), red});
    auto* refresh = new PictureButton(profile, QStringLiteral("图形按钮2"), profile_panel::refresh,
                                      ButtonArt::refresh, QStringLiteral("刷新信息"));

    auto* panel =
        new DrawnPicture(frame, QStringLiteral("图片框2"), {QPoint(8, 176), operations_panel::size},
                         Drawing::operations_panel, QStringLiteral("操作功能"));
    auto* boards =
        new PictureButton(panel, QStringLiteral("图形按钮4"), operations_panel::browse_boards,
                          ButtonArt::browse_boards, QStringLiteral("浏览板块"));
    auto* posts =
        new PictureButton(panel, QStringLiteral("图形按钮5"), operations_panel::post_operations,
                          ButtonArt::post_operations, QStringLiteral("帖子操作"));
    new PictureButton(panel, QStringLiteral("图形按钮6"), operations_panel::placeholder,
                      ButtonArt::placeholder, QStringLiteral("虚拟待位"));
    make_label(frame, QStringLiteral("透明标签1"), {160, 128, 72, 16},
               QStringLiteral("广告佳位..."), {window_font(yahei, 16), pink_violet});

    new DrawnPicture(frame, QStringLiteral("图片框3"), {8, 327, 232, 130}, Drawing::credits,
                     QStringLiteral("Tamsor"));
    new SplitterBar(frame, QStringLiteral("VCL分割条2"), {0, 464, 245, 4});
    always_on_top_ =
        make_check_box(frame, QStringLiteral("选择框1"), {8, 472, 88, 24},
                       QStringLiteral("总在最前"), window_font(QStringLiteral("黑体"), 16));
    status_ = make_label(frame, QStringLiteral("标签2"), {99, 471, 101, 24},
                         QStringLiteral("状态：暂无操作"), {window_font(yahei, 14, true), {}});
    make_label(frame, QStringLiteral("标签3"), {210, 469, 32, 27}, QStringLiteral("T.s"),
               {window_font(yahei, 16, true), light_grey});

    connect(punch, &PictureButton::clicked, this, &OperationsWindow::punch);
    connect(refresh, &PictureButton::clicked, this, [this] { refresh_profile(std::nullopt); });
    connect(end, &PictureButton::clicked, this, [this] { host_.end_program(); });
    connect(boards, &PictureButton::clicked, this,
            [this] { host_.open_window(WindowKind::board_browser); });
    connect(posts, &PictureButton::clicked, this,
            [this] { host_.open_window(WindowKind::post_viewer); });
    connect(always_on_top_, &QCheckBox::clicked, this,
            [this] { set_always_on_top(always_on_top_->isChecked()); });
}

void OperationsWindow::created() {
    show();
    take_over_from_login();
}

void OperationsWindow::take_over_from_login() {
    raise();
    activateWindow();
    host_.close_window(WindowKind::login);
    host_.close_window(WindowKind::message);
    refresh_profile(std::nullopt);
}

void OperationsWindow::show_message() {
    host_.open_window_modal(WindowKind::message);
}

void OperationsWindow::start_profile_worker() {
    refresh_profile(balance_before_punch_);
}

void OperationsWindow::session_ended() {
    session_ended_in(punch_session_);
}

bool OperationsWindow::in_session(int session) const {
    return host_.session() == session;
}

void OperationsWindow::session_ended_in(int session) {
    host_.sign_in_again(session);
}

void OperationsWindow::refresh_profile(std::optional<std::string> balance_before) {
    auto report = std::make_shared<ProfileReport>(relay_.relay(), this, host_.session());
    host_.start_worker(
        [hosts = host_.hosts(), report, before = std::move(balance_before)]() mutable {
            if (before) {
                punch_check_worker(std::move(hosts), std::move(report), std::move(*before));
            } else {
                profile_worker(std::move(hosts), std::move(report));
            }
        });
}

void OperationsWindow::set_status(std::string_view status) {
    set_caption(status_, qtext(status));
    // The punch confirmation runs past the label's width; the whole text shows on hover.
    status_->setToolTip(qtext(status));
}

void OperationsWindow::store_field(ProfileField field, std::string_view value) {
    SharedState& state = host_.state();
    std::string* target = nullptr;
    switch (field) {
        case ProfileField::home_page_text:
            target = &state.home_page_text;
            break;
        case ProfileField::verify_hash:
            target = &state.verify_hash;
            break;
        case ProfileField::punch_verify:
            target = &state.punch_verify;
            break;
        case ProfileField::db_balance:
            target = &state.db_balance;
            break;
        case ProfileField::account_id:
            target = &state.account_id;
            break;
        case ProfileField::account_level:
            target = &state.account_level;
            break;
    }
    if (target != nullptr) {
        target->assign(value);
    }
}

void OperationsWindow::show_label(ProfileLabel label, std::string_view value) {
    QLabel* target = label == ProfileLabel::db          ? db_
                     : label == ProfileLabel::quenda_id ? quenda_id_
                                                        : level_;
    set_caption(target, qtext(value));
}

void OperationsWindow::punch() {
    // Read before the request: a refresh still under way may store a balance the punch already
    // changed while the punch's message is open.
    balance_before_punch_ = host_.state().db_balance;
    punch_session_ = host_.session();
    daily_punch(host_.hosts(), host_.state(), *this);
}

}  // namespace tamsor::ui
