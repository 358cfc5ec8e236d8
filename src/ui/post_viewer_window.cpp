#include "ui/post_viewer_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/drawn_picture.h"
#include "ui/panel_layout.h"
#include "ui/picture_box.h"
#include "ui/picture_button.h"
#include "ui/window_host.h"

namespace tamsor::ui {

namespace {

const QColor light_blue(38, 171, 250);
const QColor body_orange(255, 109, 62);

}  // namespace

PostViewerWindow::PostViewerWindow(WindowHost& host)
    : BorderlessWindow(QStringLiteral("PostViewerWindow"), QSize(391, 422)), host_(host) {
    const QString yahei = QStringLiteral("微软雅黑");
    const QFont small = window_font(yahei, 12);
    const QString waiting = QStringLiteral("等待获取");

    auto* frame =
        new OutlineFrame(this, QStringLiteral("外形框1"), {0, 0, 391, 422}, 3, light_blue);
    make_label(frame, QStringLiteral("标签1"), {5, 6, 275, 24},
               QStringLiteral("帖子操作 - 看帖 (防止灌水,没有回帖。)"),
               {window_font(yahei, 16), {}});
    new SplitterBar(frame, QStringLiteral("VCL分割条1"), {0, 32, 296, 4}, light_blue);
    auto* close = new PictureButton(this, QStringLiteral("图形按钮2"), {356, 4, 32, 32},
                                    ButtonArt::close_cross, QStringLiteral("关闭"));

    auto* form =
        new DrawnPicture(frame, QStringLiteral("图片框1"), {QPoint(8, 40), post_form::size},
                         Drawing::post_form, QStringLiteral("看帖"));
    post_id_ = make_line_edit(form, QStringLiteral("编辑框2"), post_form::post_id,
                              QStringLiteral("输入帖子ID"), EditBorder::none, {small, {}});
    address_ = make_line_edit(form, QStringLiteral("编辑框3"), post_form::address,
                              QStringLiteral("合成地址"), EditBorder::none, {small, {}});
    address_->setReadOnly(true);
    body_ = make_text_box(form, QStringLiteral("编辑框1"), post_form::body,
                          QStringLiteral("帖子内容"), {small, {}});
    QPalette body_palette = body_->palette();
    body_palette.setColor(QPalette::Base, body_orange);
    body_->setPalette(body_palette);
    auto* fetch = new PictureButton(form, QStringLiteral("图形按钮1"), post_form::fetch,
                                    ButtonArt::fetch_post, QStringLiteral("获取"));
    title_ = make_label(form, QStringLiteral("帖子标题"), post_form::title, waiting, {small, {}});
    board_ = make_label(form, QStringLiteral("板块标签"), post_form::board, waiting,
                        {window_font(yahei, 14), {}});
    body_picture_ = new PictureBox(form, QStringLiteral("图片框2"), post_form::body_picture,
                                   PictureBox::Fit::stretch, QStringLiteral("帖子图片"));
    body_picture_->set_background(Qt::white);
    popup_picture_ = new PictureBox(form, QStringLiteral("图片框3"), post_form::popup_picture,
                                    PictureBox::Fit::stretch, QStringLiteral("链接图片"));
    popup_picture_->set_background(Qt::white);

    connect(post_id_, &QLineEdit::textChanged, this, &PostViewerWindow::compose_address);
    connect(fetch, &PictureButton::clicked, this, &PostViewerWindow::fetch);
    connect(body_picture_, &PictureBox::double_clicked, this, &PostViewerWindow::open_body_picture);
    connect(popup_picture_, &PictureBox::double_clicked, this,
            &PostViewerWindow::open_popup_picture);
    connect(close, &PictureButton::clicked, this,
            [this] { host_.close_window(WindowKind::post_viewer); });
}

void PostViewerWindow::created() {
    if (!host_.state().selected_post_id.empty()) {
        show_selected_post();
    }
}

void PostViewerWindow::show_selected_post() {
    // Writing the box composes the address before the fetch reads it.
    post_id_->setText(qtext(host_.state().selected_post_id));
    fetch();
}

void PostViewerWindow::compose_address() {
    std::optional<std::string> address =
        compose_post_address(host_.hosts(), post_id_->text().toStdString());
    if (address) {
        address_->setText(qtext(*address));
        address_->setCursorPosition(0);  // show the address from its start
    }
}

void PostViewerWindow::fetch() {
    fetch_session_ = host_.session();
    read_post(host_.hosts(), host_.state(), *this);
}

void PostViewerWindow::open_body_picture() {
    choose_body_picture(host_.state());
    host_.open_window_modal(WindowKind::image_viewer);
}

void PostViewerWindow::open_popup_picture() {
    host_.state().viewer_image_url = host_.state().popup_image_url;
    host_.open_window_modal(WindowKind::image_viewer);
}

std::string PostViewerWindow::post_id() {
    return post_id_->text().toStdString();
}

std::string PostViewerWindow::post_address() {
    return address_->text().toStdString();
}

void PostViewerWindow::show_message() {
    host_.open_window_modal(WindowKind::message);
}

void PostViewerWindow::show_popup_picture(const ByteArray& picture) {
    popup_picture_->set_picture_bytes(picture);
}

void PostViewerWindow::show_body_picture(const ByteArray& picture) {
    body_picture_->set_picture_bytes(picture);
}

void PostViewerWindow::show_body(std::string_view text) {
    body_->setPlainText(qtext(text));
}

void PostViewerWindow::show_title(std::string_view title) {
    set_caption(title_, qtext(title));
}

void PostViewerWindow::show_board(std::string_view board) {
    set_caption(board_, qtext(board));
}

void PostViewerWindow::session_ended() {
    host_.sign_in_again(fetch_session_);
}

}  // namespace tamsor::ui
