#pragma once

#include "forum/post_reader.h"
#include "ui/borderless_window.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tamsor::ui {

class PictureBox;
class WindowHost;

// Reads one post by its ID as plain text, with its title, board and two picture thumbnails.
class PostViewerWindow : public BorderlessWindow, public PostView {
    Q_OBJECT
public:
    explicit PostViewerWindow(WindowHost& host);

    // Fetches the thread chosen in the board browser, if any, before the window is first shown.
    void created() override;
    // Puts the chosen thread's ID into the ID box and fetches it.
    void show_selected_post();

    std::string post_id() override;
    std::string post_address() override;
    void show_message() override;
    void show_popup_picture(const ByteArray& picture) override;
    void show_body_picture(const ByteArray& picture) override;
    void show_body(std::string_view text) override;
    void show_title(std::string_view title) override;
    void show_board(std::string_view board) override;
    void session_ended() override;

private:
    void compose_address();
    void fetch();
    void open_body_picture();
    void open_popup_picture();

    WindowHost& host_;
    QLineEdit* post_id_;
    QLineEdit* address_;
    QPlainTextEdit* body_;
    QLabel* title_;
    QLabel* board_;
    PictureBox* body_picture_;
    PictureBox* popup_picture_;
    int fetch_session_ = 0;  // the session the last post fetch was sent in
};

}  // namespace tamsor::ui
