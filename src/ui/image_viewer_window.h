#pragma once

#include "ui/borderless_window.h"

namespace tamsor::ui {

class PictureBox;
class PictureButton;
class WindowHost;

// Shows one picture of a post stretched over the window; the wheel zooms by one step per event
// and a double-click restores the start size.
class ImageViewerWindow : public BorderlessWindow {
    Q_OBJECT
public:
    static constexpr QSize start_size{509, 510};
    static constexpr int start_picture_side = 512;
    static constexpr int zoom_step = 20;
    // The picture is kept scaled to at most this size: the zoom shows it sharp to four times
    // the start size and enlarges it beyond that, so a huge picture costs no more than this.
    static constexpr QSize kept_picture_size{2048, 2048};
    // Shrinking stops here, so the close button always stays in view.
    static constexpr QSize smallest_size{109, 110};
    // Growing stops before a side passes this: the window system keeps a buffer of the window's
    // size (4 bytes a pixel, four times that at double density), which would otherwise grow with
    // every notch, to 1.7 GB after a thousand of a freely spinning wheel.
    static constexpr int largest_side = 4096;

    explicit ImageViewerWindow(WindowHost& host);

    // Downloads the picture before the window is first shown.
    void created() override;

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void zoom(int step);
    void restore_start_size();

    WindowHost& host_;
    PictureBox* picture_;
    PictureButton* close_;
};

}  // namespace tamsor::ui
