#include "ui/login_window.h"

#include <QLineEdit>

#include <string.h>  // NOLINT(modernize-deprecated-headers): explicit_bzero is glibc's

#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/drawn_picture.h"
#include "ui/picture_box.h"
#include "ui/picture_button.h"
#include "ui/window_host.h"

namespace tamsor::ui {

namespace {

const QString signature = QStringLiteral(" · 自制小工具");
const QString credit_line = QStringLiteral(" —— 小工具, 请勿滥用");

// The box's text as UTF-8, without leaving the conversion's own buffer behind with it in. The
// box's own copy stays for as long as the box holds it: the toolkit offers no way to wipe it.
std::string secret_text(const QLineEdit& box) {
    QByteArray utf8 = box.text().toUtf8();
    std::string text(utf8.constData(), static_cast<size_t>(utf8.size()));
    explicit_bzero(utf8.data(), static_cast<size_t>(utf8.size()));
    return text;
}

}  // namespace

LoginWindow::LoginWindow(WindowHost& host)
    : BorderlessWindow(QStringLiteral("LoginWindow"), QSize(411, 239)), host_(host) {
    setWindowTitle(QStringLiteral(" Tamsor登陆 - (") +
                   QString::fromStdString(host.hosts().forum_host) + QStringLiteral(")") +
                   signature);
    setWindowIcon(application_icon());

    auto* frame = new OutlineFrame(this, QStringLiteral("外形框1"), {0, 0, 411, 239}, 2, Qt::black);
    new DrawnPicture(frame, QStringLiteral("图片框1"), {3, 9, 373, 86}, Drawing::logo_banner,
                     QStringLiteral("Tamsor"));
    make_label(frame, QStringLiteral("标签3"), {33, 96, 344, 24},
               QStringLiteral("Tamsor登陆操作工具") + credit_line);
    make_label(frame, QStringLiteral("标签1"), {13, 121, 57, 24}, QStringLiteral("账户名:"));
    account_name_ = make_line_edit(frame, QStringLiteral("编辑框1"), {73, 121, 136, 24},
                                   QStringLiteral("账户名"), EditBorder::single_line);
    make_label(frame, QStringLiteral("标签2"), {13, 160, 57, 24}, QStringLiteral("密码:"));
    password_ = make_line_edit(frame, QStringLiteral("编辑框2"), {73, 160, 136, 24},
                               QStringLiteral("密码"), EditBorder::single_line);
    password_->setEchoMode(QLineEdit::Password);
    password_->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    make_label(frame, QStringLiteral("标签4"), {13, 201, 57, 24}, QStringLiteral("验证码:"));
    captcha_code_ = make_line_edit(frame, QStringLiteral("编辑框3"), {73, 200, 136, 24},
                                   QStringLiteral("验证码"), EditBorder::single_line);
    captcha_code_->setMaxLength(5);
    captcha_picture_ = new PictureBox(frame, QStringLiteral("图片框2"), {226, 120, 168, 64},
                                      PictureBox::Fit::stretch, QStringLiteral("验证码图片"));
    captcha_picture_->set_border(true);
    auto* login = new PictureButton(frame, QStringLiteral("图形按钮1"), {298, 192, 96, 32},
                                    ButtonArt::login, QStringLiteral("登陆"));
    auto* close = new PictureButton(frame, QStringLiteral("图形按钮2"), {377, 2, 32, 32},
                                    ButtonArt::close_cross, QStringLiteral("关闭"));

    connect(login, &PictureButton::clicked, this, &LoginWindow::submit);
    connect(captcha_code_, &QLineEdit::returnPressed, this, &LoginWindow::submit);
    connect(close, &PictureButton::released_over, this, [this] {
        // Over a session's windows this is a sign-in again: closing it gives up only that.
        if (host_.window_exists(WindowKind::operations)) {
            host_.close_window(WindowKind::login);
        } else {
            host_.end_program();
        }
    });
}

void LoginWindow::created() {
    reload_captcha(host_.hosts(), *this);
}

LoginForm LoginWindow::login_form() {
    return {account_name_->text().toStdString(), secret_text(*password_),
            captcha_code_->text().toStdString()};
}

void LoginWindow::show_captcha(const ByteArray& picture) {
    captcha_picture_->set_picture_bytes(picture);
}

void LoginWindow::show_message() {
    host_.open_window_modal(WindowKind::message);
}

void LoginWindow::signed_in() {
    host_.session_started();
}

void LoginWindow::clear_captcha_code() {
    captcha_code_->clear();
}

void LoginWindow::submit() {
    submit_login(host_.hosts(), host_.state(), *this);
}

}  // namespace tamsor::ui
