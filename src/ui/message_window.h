#pragma once

#include "ui/borderless_window.h"

class QLabel;

namespace tamsor::app {
class Program;
}

namespace tamsor::ui {

// The program's only message box: shows the text for the message code it finds when created.
// Its OK button also carries the step from a successful sign-in to the operations window.
class MessageWindow : public BorderlessWindow {
    Q_OBJECT
public:
    explicit MessageWindow(app::Program& program);

    void created() override;

private:
    void confirm();

    app::Program& program_;
    QLabel* text_;
};

}  // namespace tamsor::ui
