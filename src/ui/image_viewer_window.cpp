#include "ui/image_viewer_window.h"

#include <QWheelEvent>

#include "http/http_request.h"
#include "ui/picture_box.h"
#include "ui/picture_button.h"
#include "ui/window_host.h"

namespace tamsor::ui {

ImageViewerWindow::ImageViewerWindow(WindowHost& host)
    : BorderlessWindow(QStringLiteral("ImageViewerWindow"), start_size), host_(host) {
    picture_ = new PictureBox(this, QStringLiteral("图片框1"),
                              {0, 0, start_picture_side, start_picture_side},
                              PictureBox::Fit::stretch, QStringLiteral("图片"));
    picture_->set_kept_size(kept_picture_size);
    close_ = new PictureButton(picture_, QStringLiteral("图形按钮1"), {0, 0, 32, 32},
                               ButtonArt::close_cross, QStringLiteral("关闭"));
    connect(close_, &PictureButton::clicked, this,
            [this] { host_.close_window(WindowKind::image_viewer); });
    connect(picture_, &PictureBox::double_clicked, this, &ImageViewerWindow::restore_start_size);
}

void ImageViewerWindow::created() {
    SharedState& state = host_.state();
    state.viewer_image_data =
        state.viewer_image_url.empty() ? ByteArray() : fetch_url_bytes(state.viewer_image_url);
    picture_->set_picture_bytes(state.viewer_image_data);
}

void ImageViewerWindow::wheelEvent(QWheelEvent* event) {
    // One event is one step, however far the wheel turned.
    zoom(event->angleDelta().y() > 0 ? zoom_step : -zoom_step);
    event->accept();
}

void ImageViewerWindow::zoom(int step) {
    if (step < 0 &&
        (height() + step < smallest_size.height() || width() + step < smallest_size.width())) {
        return;
    }
    if (step > 0 &&
        (picture_->height() + step > largest_side || picture_->width() + step > largest_side)) {
        return;
    }
    resize(width(), height() + step);
    resize(width() + step, height());
    picture_->resize(picture_->width(), picture_->height() + step);
    picture_->resize(picture_->width() + step, picture_->height());
    close_->move(0, 0);
}

void ImageViewerWindow::restore_start_size() {
    picture_->resize(start_picture_side, start_picture_side);
    resize(start_size);
    // The box still holds the picture viewer_image_data gave, read at its kept size; reading
    // the bytes again would give the same picture at the cost of another read.
}

}  // namespace tamsor::ui
