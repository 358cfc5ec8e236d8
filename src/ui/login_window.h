#pragma once

#include "forum/login.h"
#include "ui/borderless_window.h"

class QLineEdit;

namespace tamsor::ui {

class PictureBox;
class WindowHost;

// The start window: account name, password and captcha code, and the captcha picture.
class LoginWindow : public BorderlessWindow, public LoginView {
    Q_OBJECT
public:
    explicit LoginWindow(WindowHost& host);

    // Fetches the captcha picture before the window is first shown.
    void created() override;

    LoginForm login_form() override;
    void show_captcha(const ByteArray& picture) override;
    void show_message() override;
    void signed_in() override;

    // The message window empties the captcha box when it reports a wrong code.
    void clear_captcha_code();

private:
    void submit();

    WindowHost& host_;
    QLineEdit* account_name_;
    QLineEdit* password_;
    QLineEdit* captcha_code_;
    PictureBox* captcha_picture_;
};

}  // namespace tamsor::ui
