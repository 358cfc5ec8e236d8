#pragma once

#include "ui/borderless_window.h"

namespace tamsor::app {
class Program;
}

namespace tamsor::ui {

class PictureBox;
class PictureButton;

// Shows one picture of a post stretched over the window; the wheel zooms by one step per event
// and a double-click restores the start size.
class ImageViewerWindow : public BorderlessWindow {
    Q_OBJECT
public:
    static constexpr QSize start_size{509, 510};
    static constexpr int start_picture_side = 512;
    static constexpr int zoom_step = 20;
    // Shrinking stops here, so the close button always stays in view.
    static constexpr QSize smallest_size{109, 110};

    explicit ImageViewerWindow(app::Program& program);

    // Downloads the picture before the window is first shown.
    void created() override;

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void zoom(int step);
    void restore_start_size();

    app::Program& program_;
    PictureBox* picture_;
    PictureButton* close_;
};

}  // namespace tamsor::ui
