#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "forum/forum_hosts.h"
#include "forum/shared_state.h"
#include "http/network.h"

namespace tamsor {

inline constexpr std::string_view captcha_path = "/class/CAP/codeshow.php?sid=5307";

struct LoginForm {
    std::string account_name;
    std::string password;
    std::string captcha_code;
};

// What the login operation needs of the login window. Called on the window thread.
class LoginView {
public:
    virtual ~LoginView() = default;
    virtual LoginForm login_form() = 0;                       // the three edit boxes as typed
    virtual void show_captcha(const ByteArray& picture) = 0;  // empty bytes clear the picture
    // Opens the message window modally for state.message_code; returns once it is closed.
    virtual void show_message() = 0;
    // The forum accepted the sign-in and has set the new session's cookie; called before the
    // message that says so.
    virtual void signed_in() {}
};

// The form body (UTF-8; it leaves as GBK): only the account name is percent-encoded.
std::string login_form_body(const ForumHosts& hosts, const LoginForm& form);

// Wrong captcha, wrong name or password, or signed in; nullopt for an unknown answer.
std::optional<MessageCode> classify_login_answer(const ForumHosts& hosts, std::string_view answer);

void reload_captcha(const ForumHosts& hosts, LoginView& view, const Network& net = real_network());
// Posts the form and shows the outcome; an answer of no known kind, or none, shows that the forum
// did not answer. A wrong code or password brings a new captcha once the message is closed.
void submit_login(const ForumHosts& hosts, SharedState& state, LoginView& view,
                  const Network& net = real_network());

}  // namespace tamsor
