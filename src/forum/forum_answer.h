#pragma once

#include <string>
#include <string_view>

#include "http/http_request.h"
#include "http/network.h"

// How the operations tell a page from a missing answer and from a signed-out one.
namespace tamsor {

// What a GET of a forum page brought back.
struct ForumAnswer {
    bool answered = false;   // a final 2xx answer with a body
    bool cancelled = false;  // the user gave the request up (Esc)
    // The body as text, error pages included, read in the charset the answer names (decode_page);
    // "" when nothing came.
    std::string text;
};

// GET through the request engine with the shared cookie store.
ForumAnswer fetch_forum_page(const std::string& url, const Network& net);
// GET through the plain fetch (fetch_url).
ForumAnswer fetch_forum_page_plain(const std::string& url, const Network& net);

// The body of an http_request answer (a form post's) as text, in the charset it names.
std::string answer_text(const HttpResponse& response);

// The account host's sign-in form. The forum serves it, or redirects to it, in place of a page
// that needs a session the visitor no longer has; a text holding every one of these is that form.
inline constexpr std::string_view sign_in_page_markers[] = {R"(name="idcode")",
                                                            R"(value="checklogin")"};
bool is_sign_in_page(std::string_view text);

enum class PageVerdict {
    page,        // a page to read
    signed_out,  // the sign-in form instead of the page
    no_answer,   // nothing, or an error answer
    cancelled,   // the user gave the request up: nothing to tell them
};
// The sign-in form counts whatever its status; otherwise only a 2xx answer with a body is a page.
PageVerdict judge_page(const ForumAnswer& answer);

// What a window's status label says when a fetch brought no page to read: "状态：获取失败",
// "状态：登录失效" or "状态：已取消".
std::string_view failure_status(PageVerdict verdict);
// The same words without the status prefix, for a caption.
std::string_view failure_caption(PageVerdict verdict);

}  // namespace tamsor
