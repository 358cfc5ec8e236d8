#include "ui/borderless_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace tamsor::ui {
namespace {

// Drops the repeats of a held Esc, wherever the focus is: one press closes one window. The
// repeats would go on to close the window that comes forward, down to the operations window and
// with it the program, and an Esc held to give up a request would close its window after all.
// The window system sends each repeat as a release and a press at the same moment; the toolkit
// marks them as repeats only when it happens to have read both at once (3 of 35 in a trial), so
// the moment decides too.
class EscRepeats : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const bool press = event->type() == QEvent::KeyPress;
        if ((!press && event->type() != QEvent::KeyRelease) ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        if (!press) {
            last_release_ = key->timestamp();
            return false;
        }
        return key->isAutoRepeat() || (key->timestamp() != 0 && key->timestamp() == last_release_);
    }

private:
    quint64 last_release_ = 0;
};

void drop_esc_repeats() {
    static const QString name = QStringLiteral("tamsor_esc_repeats");
    QCoreApplication* application = QCoreApplication::instance();
    if (application->findChild<QObject*>(name, Qt::FindDirectChildrenOnly) == nullptr) {
        auto* filter = new EscRepeats(application);
        filter->setObjectName(name);
        application->installEventFilter(filter);
    }
}

}  // namespace

BorderlessWindow::BorderlessWindow(const QString& name, QSize client_size, bool draggable)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), draggable_(draggable) {
    drop_esc_repeats();
    setObjectName(name);
    setAccessibleName(name);
    // The windows carry no title (the login window sets its own). The toolkit hands the window
    // system the program's name in place of an empty title, so a blank one stands for none.
    setWindowTitle(QStringLiteral(" "));
    resize(client_size);
}

void BorderlessWindow::centre_on_screen() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void BorderlessWindow::set_always_on_top(bool on) {
    QRect place = geometry();
    bool was_visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    setGeometry(place);
    if (was_visible) {
        show();
    }
}

void BorderlessWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit close_requested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BorderlessWindow::closeEvent(QCloseEvent* event) {
    // The owner decides when the window goes, so that a handler still running keeps its window.
    event->ignore();
    emit close_requested();
}

void BorderlessWindow::mousePressEvent(QMouseEvent* event) {
    if (!draggable_ || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    moving_by_hand_ = false;
    press_global_ = event->globalPosition().toPoint();
    press_offset_ = press_global_ - pos();
}

void BorderlessWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    QPoint global = event->globalPosition().toPoint();
    if (moving_by_hand_) {
        move(global - press_offset_);
        return;
    }
    // The move starts only once the mouse has travelled, so double-clicks reach the controls.
    if ((global - press_global_).manhattanLength() < QApplication::startDragDistance()) {
        return;
    }
    QWindow* handle = windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
        pressed_ = false;
        return;
    }
    moving_by_hand_ = true;
    move(global - press_offset_);
}

void BorderlessWindow::mouseReleaseEvent(QMouseEvent* event) {
    pressed_ = false;
    moving_by_hand_ = false;
    QWidget::mouseReleaseEvent(event);
}

}  // namespace tamsor::ui
