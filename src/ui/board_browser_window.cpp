#include "ui/board_browser_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "ui/controls.h"
#include "ui/picture_button.h"
#include "ui/post_viewer_window.h"
#include "ui/window_host.h"

namespace tamsor::ui {

namespace {

const QString idle_status = QStringLiteral("状态：暂无获取");

// A directory worker's thread runs one load (or none, while another still runs): the session its
// requests go out in.
thread_local int load_session = 0;

// Forwards the reports of a board directory worker to the window thread.
class DirectoryReport : public BoardDirectoryView {
public:
    DirectoryReport(std::shared_ptr<WindowRelay> relay, BoardBrowserWindow* window)
        : relay_(std::move(relay)), window_(window) {}

    void clear_lists() override {
        relay_->post([window = window_] { window->clear_board_lists(); });
    }
    void add_board_name(std::string_view name) override {
        relay_->post(
            [window = window_, text = std::string(name)] { window->add_board_name(text); });
    }
    void add_board_link(std::string_view link) override {
        relay_->post(
            [window = window_, text = std::string(link)] { window->add_board_link(text); });
    }
    void status_step(DirectoryPhase phase) override {
        relay_->post([window = window_, phase] { window->directory_status_step(phase); });
    }
    void show_failure(std::string_view caption) override {
        relay_->post([window = window_, text = std::string(caption)] {
            window->show_directory_failure(text);
        });
    }
    void session_ended() override {
        relay_->post(
            [window = window_, session = load_session] { window->session_ended_in(session); });
    }

private:
    std::shared_ptr<WindowRelay> relay_;
    BoardBrowserWindow* window_;  // used only on the window thread, while the relay holds it alive
};

// The row of the right list follows the left list's selection.
void follow_selection(const QListWidget* left, QListWidget* right) {
    right->setCurrentRow(left->currentRow());
}

// The disabled right list cannot be scrolled by the user: it scrolls with the left one, so
// the rows stay side by side.
void scroll_together(QListWidget* left, QListWidget* right) {
    QObject::connect(left->verticalScrollBar(), &QScrollBar::valueChanged,
                     right->verticalScrollBar(), &QScrollBar::setValue);
}

}  // namespace

BoardBrowserWindow::BoardBrowserWindow(WindowHost& host)
    : BorderlessWindow(QStringLiteral("BoardBrowserWindow"), QSize(415, 553)), host_(host) {
    const QString yahei = QStringLiteral("微软雅黑");
    const QFont small = window_font(yahei, 12);
    const QFont status_font = window_font(yahei, 16, true);

    auto* frame = new OutlineFrame(this, QStringLiteral("外形框1"), {0, 0, 415, 553}, 2, Qt::black);
    make_label(frame, QStringLiteral("标签1"), {6, 6, 186, 24},
               QStringLiteral("获取板块ID And 帖子ID"), {status_font, {}});
    new SplitterBar(frame, QStringLiteral("VCL分割条1"), {0, 32, 216, 3});
    new PictureButton(frame, QStringLiteral("图形按钮4"), {224, 6, 144, 32}, ButtonArt::board_badge,
                      QStringLiteral("Tamsor"));
    auto* close = new PictureButton(frame, QStringLiteral("图形按钮2"), {381, 2, 32, 32},
                                    ButtonArt::close_cross, QStringLiteral("关闭"));

    auto* boards = make_group(frame, QStringLiteral("分组框1"), {7, 37, 401, 195},
                              QStringLiteral("板块标题"), small);
    make_label(boards, QStringLiteral("标签2"), {9, 15, 40, 16}, QStringLiteral("板块:"),
               {small, {}});
    board_names_ = make_list(boards, QStringLiteral("列表框1"), {8, 32, 201, 105},
                             QStringLiteral("板块"), window_font(QStringLiteral("新宋体"), 14));
    make_label(this, QStringLiteral("标签3"), {224, 52, 40, 16}, QStringLiteral("对应ID:"),
               {small, {}});
    board_links_ = make_list(boards, QStringLiteral("列表框2"), {217, 32, 174, 105},
                             QStringLiteral("对应ID"), window_font(QStringLiteral("新宋体"), 13));
    board_links_->setEnabled(false);
    directory_status_ = make_label(boards, QStringLiteral("标签4"), {8, 161, 120, 24}, idle_status,
                                   {status_font, {}});
    auto* fetch_boards = new PictureButton(boards, QStringLiteral("图形按钮1"), {330, 161, 65, 28},
                                           ButtonArt::fetch_boards, QStringLiteral("获取板块"));
    selected_board_ = make_line_edit(frame, QStringLiteral("编辑框1"), {16, 177, 376, 21},
                                     QStringLiteral("选中的板块"), EditBorder::none, {small, {}});
    selected_board_->setReadOnly(true);

    auto* threads = make_group(frame, QStringLiteral("分组框2"), {7, 232, 401, 316},
                               QStringLiteral("板块帖子"), QApplication::font());
    make_label(threads, QStringLiteral("标签5"), {9, 16, 55, 16}, QStringLiteral("板块地址："),
               {small, {}});
    board_address_ = make_line_edit(threads, QStringLiteral("编辑框2"), {73, 14, 264, 21},
                                    QStringLiteral("板块地址"), EditBorder::single_line);
    board_address_->setAlignment(Qt::AlignCenter);
    fetch_threads_ = new PictureButton(threads, QStringLiteral("图形按钮3"), {341, 14, 54, 21},
                                       ButtonArt::fetch_threads, QStringLiteral("获取帖子"));
    make_label(threads, QStringLiteral("标签6"), {205, 37, 128, 16},
               QStringLiteral("Tips:(上面那获取得到)"), {small, {}});
    make_label(threads, QStringLiteral("标签8"), {9, 56, 55, 16}, QStringLiteral("板块帖子："),
               {small, {}});
    thread_titles_ =
        make_list(threads, QStringLiteral("列表框3"), {72, 56, 217, 120},
                  QStringLiteral("板块帖子"), window_font(QStringLiteral("新宋体"), 14));
    post_ids_ = make_list(threads, QStringLiteral("列表框4"), {297, 56, 96, 120},
                          QStringLiteral("帖子ID"), window_font(QStringLiteral("新宋体"), 14));
    post_ids_->setEnabled(false);
    make_label(threads, QStringLiteral("标签10"), {8, 184, 129, 16},
               QStringLiteral("帖子标题 And 帖子ID："), {small, {}});
    thread_summary_ = make_text_box(threads, QStringLiteral("编辑框4"), {73, 202, 320, 54},
                                    QStringLiteral("帖子标题 And 帖子ID"));
    thread_summary_->setReadOnly(true);
    make_label(threads, QStringLiteral("标签7"), {5, 266, 64, 24}, QStringLiteral("板块信息："));
    board_info_ = make_text_box(threads, QStringLiteral("编辑框3"), {74, 266, 183, 37},
                                QStringLiteral("板块信息"));
    board_info_->setReadOnly(true);
    thread_status_ = make_label(this, QStringLiteral("标签9"), {280, 520, 120, 24}, idle_status,
                                {status_font, {}});

    scroll_together(board_names_, board_links_);
    scroll_together(thread_titles_, post_ids_);

    directory_ = std::make_shared<DirectoryReport>(relay_.relay(), this);

    connect(close, &PictureButton::clicked, this, &BoardBrowserWindow::close_and_show_operations);
    connect(fetch_boards, &PictureButton::clicked, this,
            &BoardBrowserWindow::start_directory_fetch);
    connect(board_names_, &QListWidget::currentRowChanged, this,
            &BoardBrowserWindow::board_selected);
    connect(board_names_, &QListWidget::itemDoubleClicked, this, &BoardBrowserWindow::board_opened);
    connect(fetch_threads_, &PictureButton::clicked, this, &BoardBrowserWindow::fetch_threads);
    connect(thread_titles_, &QListWidget::currentRowChanged, this,
            &BoardBrowserWindow::thread_selected);
    connect(thread_titles_, &QListWidget::itemDoubleClicked, this,
            &BoardBrowserWindow::thread_opened);
}

BoardBrowserWindow::~BoardBrowserWindow() {
    directory_->abandon();
}

void BoardBrowserWindow::start_directory_fetch() {
    host_.start_worker(
        [hosts = host_.hosts(), view = directory_, session = host_.session()]() mutable {
            load_session = session;
            board_directory_worker(std::move(hosts), std::move(view));
        });
}

void BoardBrowserWindow::board_selected() {
    if (board_names_->currentRow() < 0) {
        return;
    }
    follow_selection(board_names_, board_links_);
    selected_board_->setText(
        qtext(board_selection_text(host_.hosts(), current_item_text(board_names_).toStdString(),
                                   current_item_text(board_links_).toStdString())));
}

void BoardBrowserWindow::board_opened() {
    follow_selection(board_names_, board_links_);
    board_address_->setText(
        qtext(tamsor::board_address(host_.hosts(), current_item_text(board_links_).toStdString())));
    fetch_threads();
}

void BoardBrowserWindow::fetch_threads() {
    thread_list_session_ = host_.session();
    load_thread_list(host_.hosts(), *this);
}

void BoardBrowserWindow::thread_selected() {
    if (thread_titles_->currentRow() < 0) {
        return;
    }
    follow_selection(thread_titles_, post_ids_);
    thread_summary_->setPlainText(
        qtext(tamsor::thread_summary(host_.hosts(), current_item_text(thread_titles_).toStdString(),
                                     current_item_text(post_ids_).toStdString())));
}

void BoardBrowserWindow::thread_opened() {
    follow_selection(thread_titles_, post_ids_);
    // A page may list more titles than post IDs: a title without one has no post to show.
    const std::string post_id = current_item_text(post_ids_).toStdString();
    if (post_id.empty()) {
        return;
    }
    host_.state().selected_post_id = post_id;
    // An open post viewer shows the newly chosen thread instead of only coming to the front.
    if (auto* viewer = host_.window_as<PostViewerWindow>(WindowKind::post_viewer)) {
        viewer->show_selected_post();
        viewer->raise();
        viewer->activateWindow();
        return;
    }
    host_.open_window(WindowKind::post_viewer);
}

void BoardBrowserWindow::close_and_show_operations() {
    host_.close_window(WindowKind::board_browser);
    if (auto* operations = host_.window(WindowKind::operations)) {
        operations->show();
        operations->raise();
    }
}

std::string BoardBrowserWindow::board_address() {
    return board_address_->text().toStdString();
}

void BoardBrowserWindow::clear_thread_lists() {
    thread_titles_->clear();
    post_ids_->clear();
}

void BoardBrowserWindow::set_fetch_enabled(bool enabled) {
    fetch_threads_->setEnabled(enabled);
}

void BoardBrowserWindow::show_board_info(std::string_view text) {
    board_info_->setPlainText(qtext(text));
}

void BoardBrowserWindow::add_thread_title(std::string_view title) {
    thread_titles_->addItem(qtext(title));
}

void BoardBrowserWindow::add_post_id(std::string_view post_id) {
    post_ids_->addItem(qtext(post_id));
}

std::string BoardBrowserWindow::status() {
    return thread_status_->text().toStdString();
}

void BoardBrowserWindow::set_status(std::string_view status) {
    set_caption(thread_status_, qtext(status));
}

void BoardBrowserWindow::session_ended() {
    session_ended_in(thread_list_session_);
}

void BoardBrowserWindow::session_ended_in(int session) {
    host_.sign_in_again(session);
}

void BoardBrowserWindow::clear_board_lists() {
    board_names_->clear();
    board_links_->clear();
    // A load after a failed one counts its rows from the start again.
    if (directory_failed_) {
        directory_failed_ = false;
        set_caption(directory_status_, idle_status);
    }
}

void BoardBrowserWindow::add_board_name(std::string_view name) {
    board_names_->addItem(qtext(name));
}

void BoardBrowserWindow::add_board_link(std::string_view link) {
    board_links_->addItem(qtext(link));
}

void BoardBrowserWindow::directory_status_step(DirectoryPhase phase) {
    std::optional<std::string> next =
        tamsor::directory_status_step(directory_status_->text().toStdString(), phase);
    if (next) {
        set_caption(directory_status_, qtext(*next));
    }
}

void BoardBrowserWindow::show_directory_failure(std::string_view caption) {
    directory_failed_ = true;
    set_caption(directory_status_, qtext(caption));
}

}  // namespace tamsor::ui
