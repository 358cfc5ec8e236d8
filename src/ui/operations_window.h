#pragma once

#include <memory>
#include <string>

#include "forum/profile.h"
#include "forum/punch.h"
#include "ui/borderless_window.h"
#include "ui/window_relay.h"

class QCheckBox;
class QLabel;

namespace tamsor::ui {

class WindowHost;

// The main window after sign-in: profile, daily punch, the ways to the board browser and the
// post viewer, and the always-on-top switch.
class OperationsWindow : public BorderlessWindow, public PunchView {
    Q_OBJECT
public:
    explicit OperationsWindow(WindowHost& host);

    // Shows itself and takes over from the login window.
    void created() override;
    // Comes to the front, closes the login and message windows and starts the profile fetch.
    void take_over_from_login();

    void show_message() override;
    // The profile fetch after a successful punch: it ends telling what the punch did to the
    // balance.
    void start_profile_worker() override;
    // The punch found the session over.
    void session_ended() override;
    // A fetch sent in `session` found it over.
    void session_ended_in(int session);
    // No sign-in has begun a new session since `session`.
    bool in_session(int session) const;

    // What the profile fetch reports, on the window thread.
    void set_status(std::string_view status);
    void store_field(ProfileField field, std::string_view value);
    void show_label(ProfileLabel label, std::string_view value);

private:
    void punch();
    void refresh_profile(std::optional<std::string> balance_before);

    WindowHost& host_;
    QLabel* quenda_id_;
    QLabel* level_;
    QLabel* db_;
    QLabel* status_;
    QCheckBox* always_on_top_;
    std::string balance_before_punch_;  // the DB balance as the last punch found it
    int punch_session_ = 0;             // the session the last punch was sent in
    RelayHandle relay_{this};
};

}  // namespace tamsor::ui
