#include "script.h"

#include <QElapsedTimer>
#include <QTimer>

namespace tamsor::test {

Script& Script::step(std::string what, std::function<bool()> ready, std::function<void()> action) {
    steps_.push_back({std::move(what), std::move(ready), std::move(action)});
    return *this;
}

void Script::start() {
    if (!steps_.empty()) {
        arm(0);
    }
}

void Script::arm(size_t index) {
    auto* timer = new QTimer(this);
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(3);
    connect(timer, &QTimer::timeout, this, [this, timer, clock, index] {
        const Step& step = steps_[index];
        if (step.ready()) {
            timer->stop();
            delete clock;
            done_ = index + 1;
            if (done_ < steps_.size()) {
                arm(done_);
            }
            step.action();
            return;
        }
        if (clock->elapsed() > 15000) {
            timer->stop();
            delete clock;
            stuck_(step.what);
        }
    });
    timer->start();
}

}  // namespace tamsor::test
