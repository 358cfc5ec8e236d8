#pragma once

#include <QPoint>
#include <QWidget>

namespace tamsor::ui {

// A top-level window without border or title bar whose client area is the whole window: it
// opens centred, keeps a task-bar entry, closes on Esc and, unless told otherwise, can be
// dragged by any point its children leave alone.
//
// Closing never destroys the window directly: it asks its owner (close_requested), which hides
// it and destroys it once no handler of the window is on the stack any more.
class BorderlessWindow : public QWidget {
    Q_OBJECT
public:
    BorderlessWindow(const QString& name, QSize client_size, bool draggable = true);

    // Runs once, after every control exists and before the window is first shown.
    virtual void created() {}

    // Moves the window to the centre of the screen it will appear on.
    void centre_on_screen();

    // Switches "always on top" without losing the window's place: changing the flag hides it.
    void set_always_on_top(bool on);

signals:
    // Esc or a close request of the window system; the owner closes the window.
    void close_requested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool draggable_;
    bool pressed_ = false;         // left button went down on the window's own surface
    bool moving_by_hand_ = false;  // the window system could not move it: follow the mouse
    QPoint press_global_;
    QPoint press_offset_;  // mouse position relative to the window's top left at the press
};

}  // namespace tamsor::ui
