#include "forum/login.h"

#include "forum/answer_markers.h"
#include "forum/forum_answer.h"
#include "forum/message_texts.h"
#include "http/form.h"
#include "http/http_request.h"
#include "text/strings.h"
#include "text/wipe.h"

namespace tamsor {
namespace {

// The forum base URL as the account host expects it in "forward=": only ":" and "/" escaped.
std::string forward_url(const ForumHosts& hosts) {
    return replace_all(replace_all(hosts.forum_base_url(), ":", "%3A"), "/", "%2F");
}

}  // namespace

std::string login_form_body(const ForumHosts& hosts, const LoginForm& form) {
    // Only the name is encoded: the account host reads password and code as typed.
    const std::string name = url_encode(form.account_name);
    const std::string tail = "&forward=" + forward_url(hosts) + "&logincd=&app=checklogin";
    const std::string_view parts[] = {
        "lgt=0&username=", name, "&password=", form.password, "&idcode=", form.captcha_code, tail};
    // Made in one buffer of its final size: a buffer outgrown on the way would be freed with
    // the password still in it.
    size_t size = 0;
    for (std::string_view part : parts) {
        size += part.size();
    }
    std::string body;
    body.reserve(size);
    for (std::string_view part : parts) {
        body += part;
    }
    return body;
}

std::optional<MessageCode> classify_login_answer(const ForumHosts& hosts, std::string_view answer) {
    const std::string success_redirect = "url=" + hosts.forum_base_url();
    const AnswerMarker markers[] = {
        {"验证码输入不正确", MessageCode::wrong_captcha},
        {"登录失败,请检查用户名和密码是否输入正确", MessageCode::wrong_name_or_password},
        {success_redirect, MessageCode::signed_in},
    };
    return first_marker_code(answer, markers);
}

void reload_captcha(const ForumHosts& hosts, LoginView& view, const Network& net) {
    view.show_captcha(net.fetch(hosts.account_url(std::string(captcha_path))).body);
}

void submit_login(const ForumHosts& hosts, SharedState& state, LoginView& view,
                  const Network& net) {
    HttpRequest request;
    request.url = hosts.account_url("/index.php");
    request.method = HttpMethod::post;
    LoginForm form = view.login_form();
    request.post_text = login_form_body(hosts, form);
    wipe(form.password);
    HttpResponse response = net.request(request);
    // Once the request is out, the copies of the password this operation holds go: the form
    // body and the body as sent (its GBK bytes).
    wipe(request.post_text);
    wipe(response.post_bytes);
    if (response.error == HttpError::cancelled) {
        return;  // the user gave it up with Esc and knows it brought nothing
    }
    const std::string answer = answer_text(response);

    // Only the three known answers say anything about name, password or code; any other, or none,
    // is reported as the forum not answering, and the captcha stays for another try.
    const std::optional<MessageCode> code = classify_login_answer(hosts, answer);
    state.message_code = code.value_or(MessageCode::no_answer);
    if (code == MessageCode::signed_in) {
        view.signed_in();
    }
    view.show_message();
    if (code && *code != MessageCode::signed_in) {
        reload_captcha(hosts, view, net);
    }
}

}  // namespace tamsor
