#include "ui/message_window.h"

#include <QLabel>

#include "forum/message_texts.h"
#include "ui/controls.h"
#include "ui/login_window.h"
#include "ui/operations_window.h"
#include "ui/picture_button.h"
#include "ui/window_host.h"

namespace tamsor::ui {

MessageWindow::MessageWindow(WindowHost& host)
    : BorderlessWindow(QStringLiteral("MessageWindow"), QSize(320, 78), /*draggable=*/false),
      host_(host) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    auto* frame =
        new OutlineFrame(this, QStringLiteral("外形框1"), {0, 0, 320, 78}, 2, QColor(255, 0, 0));
    make_label(frame, QStringLiteral("标签1"), {6, 3, 50, 24}, QStringLiteral("Tips："),
               {window_font(QStringLiteral("Lucida Console"), 16), {}});
    text_ = make_label(frame, QStringLiteral("标签2"), {8, 23, 304, 24}, QString(),
                       {window_font(QStringLiteral("黑体"), 16), {}});
    auto* ok = new PictureButton(frame, QStringLiteral("图形按钮1"), {120, 48, 80, 25},
                                 ButtonArt::message_ok, QStringLiteral("确定"));
    connect(ok, &PictureButton::clicked, this, &MessageWindow::confirm);
}

void MessageWindow::created() {
    const MessageCode code = host_.state().message_code;
    set_caption(text_, qtext(message_texts(code)));
    if (code == MessageCode::wrong_captcha) {
        if (auto* login = host_.window_as<LoginWindow>(WindowKind::login)) {
            login->clear_captcha_code();
        }
    }
}

void MessageWindow::confirm() {
    // The decision follows the text shown, not the code, which may have changed meanwhile.
    if (text_->text() == qtext(success_message)) {
        // After a sign-in again the operations window is still open and takes over as it did
        // when it first opened.
        if (auto* operations = host_.window_as<OperationsWindow>(WindowKind::operations)) {
            operations->take_over_from_login();
        } else {
            host_.open_window_modal(WindowKind::operations);
        }
    }
    host_.close_window(WindowKind::message);
}

}  // namespace tamsor::ui
