#pragma once

#include "forum/board_directory.h"
#include "forum/thread_list.h"
#include "ui/borderless_window.h"
#include "ui/window_relay.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace tamsor::ui {

class PictureButton;
class WindowHost;

// Board names beside their links, and the threads of one board beside their post IDs. The right
// list of each pair follows the left one's selection and takes no input of its own.
class BoardBrowserWindow : public BorderlessWindow, public ThreadListView {
    Q_OBJECT
public:
    explicit BoardBrowserWindow(WindowHost& host);
    // Stops this window's directory load; another window's load is not held up by it.
    ~BoardBrowserWindow() override;

    std::string board_address() override;
    void clear_thread_lists() override;
    void set_fetch_enabled(bool enabled) override;
    void show_board_info(std::string_view text) override;
    void add_thread_title(std::string_view title) override;
    void add_post_id(std::string_view post_id) override;
    std::string status() override;
    void set_status(std::string_view status) override;
    // The thread list fetch found the session over.
    void session_ended() override;
    // A fetch sent in `session` found it over.
    void session_ended_in(int session);

    // What the board directory worker reports, on the window thread.
    void clear_board_lists();
    void add_board_name(std::string_view name);
    void add_board_link(std::string_view link);
    void directory_status_step(DirectoryPhase phase);
    void show_directory_failure(std::string_view caption);

private:
    void start_directory_fetch();
    void board_selected();
    void board_opened();
    void fetch_threads();
    void thread_selected();
    void thread_opened();
    void close_and_show_operations();

    WindowHost& host_;
    QListWidget* board_names_;
    QListWidget* board_links_;
    QLabel* directory_status_;
    QLineEdit* selected_board_;
    QLineEdit* board_address_;
    PictureButton* fetch_threads_;
    QListWidget* thread_titles_;
    QListWidget* post_ids_;
    QPlainTextEdit* thread_summary_;
    QPlainTextEdit* board_info_;
    QLabel* thread_status_;
    bool directory_failed_ = false;  // 标签4 tells of a failed load
    int thread_list_session_ = 0;    // the session the last thread list fetch was sent in
    RelayHandle relay_{this};
    std::shared_ptr<BoardDirectoryView> directory_;  // reports the loads of this window
};

}  // namespace tamsor::ui
