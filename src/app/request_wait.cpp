#include "app/request_wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QThread>

#include "http/http_request.h"

namespace tamsor::app {
namespace {

bool is_input(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

// Watches every event for as long as it lives. Only what the pump's own turn delivers counts:
// a deeper loop level is a window opened meanwhile, which takes its input as usual.
class InputWhileWaiting : public QObject {
public:
    InputWhileWaiting() : level_(QThread::currentThread()->loopLevel()) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputWhileWaiting() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputWhileWaiting(const InputWhileWaiting&) = delete;
    InputWhileWaiting& operator=(const InputWhileWaiting&) = delete;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // The person's input only; what the program sends itself passes.
        if (!event->spontaneous() || !is_input(event->type()) ||
            QThread::currentThread()->loopLevel() != level_) {
            return false;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            cancel_waiting_transfers();
        }
        return true;  // dropped: the Esc that cancels does not close the window afterwards
    }

private:
    int level_;
};

}  // namespace

void pump_events_during_request() {
    InputWhileWaiting filter;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tamsor::app
