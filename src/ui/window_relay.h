#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>

namespace tamsor::ui {

// Carries calls from worker threads to the window thread. Each call runs there, in the order
// posted, as long as the target object lives; calls posted after it is gone, or still queued
// when it goes, are dropped.
class WindowRelay {
public:
    explicit WindowRelay(QObject* target) : target_(target) {}

    // Called by the target as it is destroyed, on the window thread.
    void detach() {
        std::lock_guard lock(mutex_);
        target_ = nullptr;
    }

    // Any thread. Posting under the lock keeps the target alive until the call is queued;
    // Qt discards queued calls of an object when the object is destroyed.
    void post(std::function<void()> call) {
        std::lock_guard lock(mutex_);
        if (target_ != nullptr) {
            QMetaObject::invokeMethod(target_, std::move(call), Qt::QueuedConnection);
        }
    }

private:
    std::mutex mutex_;
    QObject* target_;
};

// Owned by a window: makes the relay and detaches it when the window goes.
class RelayHandle {
public:
    explicit RelayHandle(QObject* target) : relay_(std::make_shared<WindowRelay>(target)) {}
    ~RelayHandle() { relay_->detach(); }
    RelayHandle(const RelayHandle&) = delete;
    RelayHandle& operator=(const RelayHandle&) = delete;

    const std::shared_ptr<WindowRelay>& relay() const { return relay_; }

private:
    std::shared_ptr<WindowRelay> relay_;
};

}  // namespace tamsor::ui
