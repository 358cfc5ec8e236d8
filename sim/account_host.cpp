#include <cctype>

#include "hosts.h"
#include "pages.h"
#include "pictures.h"
#include "text/gbk.h"
#include "text/strings.h"

namespace tamsor::sim {
namespace {

struct LoginForm {
    std::string name;      // GBK, decoded from the form
    std::string password;  // GBK, raw as sent
    std::string code;
};

// Decodes "%XX" escapes; nothing when an escape is cut short or not hex.
std::optional<std::string> percent_decode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        auto hex = std::string(text.substr(i + 1, 2));
        if (!std::isxdigit(static_cast<unsigned char>(hex[0])) ||
            !std::isxdigit(static_cast<unsigned char>(hex[1]))) {
            return std::nullopt;
        }
        out += static_cast<char>(std::stoi(hex, nullptr, 16));
        i += 2;
    }
    return out;
}

// The login form must be exactly what the client builds: the name percent-encoded (and only
// the way the client encodes it), password and code raw, then the fixed tail. The password may
// hold "&" and "=", so the fields are found by their fixed names: "&password=" is the first
// after the encoded name (which cannot hold "&"), "&idcode=" the last before the tail.
std::optional<LoginForm> parse_login_form(std::string_view body, std::string_view forum_host) {
    const std::string prefix = "lgt=0&username=";
    const std::string tail =
        "&forward=http%3A%2F%2F" + replace_all(forum_host, ":", "%3A") + "&logincd=&app=checklogin";
    if (body.size() < prefix.size() + tail.size() || body.substr(0, prefix.size()) != prefix ||
        body.substr(body.size() - tail.size()) != tail) {
        return std::nullopt;
    }
    std::string_view fields = body.substr(prefix.size(), body.size() - prefix.size() - tail.size());
    auto password_at = fields.find("&password=");
    if (password_at == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view encoded_name = fields.substr(0, password_at);
    std::string_view rest = fields.substr(password_at + 10);
    auto code_at = rest.rfind("&idcode=");
    if (code_at == std::string_view::npos) {
        return std::nullopt;
    }
    auto name = percent_decode(encoded_name);
    if (!name || percent_encode(*name) != encoded_name) {
        return std::nullopt;
    }
    return LoginForm{*name, std::string(rest.substr(0, code_at)),
                     std::string(rest.substr(code_at + 8))};
}

ServerResponse captcha(SimState& state, const ServerRequest& request) {
    if (query_value(request.query, "sid") != "5307") {
        return gbk_page(notice_page("404", "验证码地址不正确。"), 404);
    }
    std::lock_guard lock(state.mutex);
    std::string session = request.cookie(kCaptchaCookie);
    bool known = state.captcha_codes.count(session) != 0;
    if (!known) {
        session = state.token(26);
    }
    std::string code = new_captcha_code(state.random);
    state.captcha_codes[session] = code;
    state.last_captcha_code = code;

    ServerResponse response;
    response.headers = {{"Content-Type", "image/png"}, {"Cache-Control", "no-cache, no-store"}};
    if (!known) {
        response.headers.emplace_back("Set-Cookie",
                                      std::string(kCaptchaCookie) + "=" + session + "; path=/");
    }
    response.body = captcha_png(code, state.random);
    return response;
}

ServerResponse login(SimState& state, const ServerRequest& request) {
    std::lock_guard lock(state.mutex);
    auto form = parse_login_form(request.body, state.forum_host);
    if (!form) {
        return gbk_page(login_answer_page(LoginOutcome::bad_form, state.forum_host));
    }
    // Every code is good for one attempt, right or wrong.
    auto bound = state.captcha_codes.find(request.cookie(kCaptchaCookie));
    std::string expected;
    if (bound != state.captcha_codes.end()) {
        expected.swap(bound->second);
    }
    if (expected.empty() || to_lower_ascii(expected) != to_lower_ascii(form->code)) {
        return gbk_page(login_answer_page(LoginOutcome::wrong_captcha, state.forum_host));
    }
    for (size_t i = 0; i < state.accounts.size(); ++i) {
        const Account& account = state.accounts[i];
        if (utf8_to_gbk(account.name) != form->name ||
            utf8_to_gbk(account.password) != form->password) {
            continue;
        }
        std::string token = state.token(32);
        state.sessions[token] =
            ForumSession{i, state.token(8), state.token(10), std::chrono::steady_clock::now()};
        ServerResponse response =
            gbk_page(login_answer_page(LoginOutcome::signed_in, state.forum_host));
        response.headers.emplace_back("Set-Cookie",
                                      std::string(kAuthCookie) + "=" + token + "; path=/");
        return response;
    }
    return gbk_page(login_answer_page(LoginOutcome::wrong_password, state.forum_host));
}

}  // namespace

ServerResponse handle_account_request(SimState& state, const ServerRequest& request) {
    bool read = request.method == "GET" || request.method == "HEAD";
    if (read && request.path == "/class/CAP/codeshow.php") {
        return captcha(state, request);
    }
    if (request.method == "POST" && request.path == "/index.php") {
        return login(state, request);
    }
    if (read && (request.path == "/" || request.path == "/index.php")) {
        std::lock_guard lock(state.mutex);
        return gbk_page(login_form_page(state.forum_host));
    }
    return gbk_page(notice_page("404", "您访问的页面不存在。"), 404);
}

}  // namespace tamsor::sim
