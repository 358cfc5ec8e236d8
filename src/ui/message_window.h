#pragma once

#include "ui/borderless_window.h"

class QLabel;

namespace tamsor::ui {

class WindowHost;

// The program's only message box: shows the text for the message code it finds when created.
// Its OK button also carries the step from a successful sign-in to the operations window.
class MessageWindow : public BorderlessWindow {
    Q_OBJECT
public:
    explicit MessageWindow(WindowHost& host);

    void created() override;

private:
    void confirm();

    WindowHost& host_;
    QLabel* text_;
};

}  // namespace tamsor::ui
