#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

namespace tamsor::test {

// Steps that run, one after the other, from the event loop, once each step's condition holds.
// A step's action may block in a modal window's loop: the next step is armed before the action
// runs, so it keeps polling inside that loop. A step that never becomes ready is handed to
// `stuck`, which should close the windows so that every blocked call returns.
class Script : public QObject {
public:
    explicit Script(std::function<void(const std::string&)> stuck) : stuck_(std::move(stuck)) {}

    Script& step(std::string what, std::function<bool()> ready, std::function<void()> action);
    void start();
    bool finished() const { return done_ == steps_.size(); }

private:
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> action;
    };
    void arm(size_t index);

    std::function<void(const std::string&)> stuck_;
    std::vector<Step> steps_;
    size_t done_ = 0;
};

}  // namespace tamsor::test
