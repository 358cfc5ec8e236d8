#include <algorithm>
#include <cctype>
#include <ctime>

#include "hosts.h"
#include "pages.h"
#include "pictures.h"
#include "text/strings.h"

namespace tamsor::sim {
namespace {

constexpr const char* kRetry = "请刷新页面后重试！";

bool all_digits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// The forum's day: punches count once per local calendar day.
std::string today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

// Who a request comes from, told by its sign-in cookie.
struct Visitor {
    ForumSession* session = nullptr;  // signed in
    bool session_over = false;        // the cookie names a session that has ended
};

// Caller holds state.mutex. A session found past its time ends here.
Visitor visitor_of(SimState& state, const ServerRequest& request) {
    const std::string cookie = request.cookie(kAuthCookie);
    if (cookie.empty()) {
        return {};
    }
    auto found = state.sessions.find(cookie);
    if (found != state.sessions.end()) {
        const bool run_out =
            state.session_ttl.count() > 0 &&
            std::chrono::steady_clock::now() - found->second.signed_in_at >= state.session_ttl;
        if (!run_out) {
            return {&found->second, false};
        }
        state.sessions.erase(found);
        state.ended_sessions.insert(cookie);
    }
    return {nullptr, state.ended_sessions.count(cookie) != 0};
}

// The account host's sign-in page, with the forum address to return to afterwards.
std::string sign_in_url(const SimState& state, std::string_view back_target) {
    return "http://" + state.account_host + "/index.php?forward=" +
           percent_encode("http://" + state.forum_host + std::string(back_target));
}

// Caller holds state.mutex. Where a page needs a session the visitor has not got, the forum
// sends them to sign in, and back here afterwards.
ServerResponse sign_in_redirect(const SimState& state, const ServerRequest& request) {
    ServerResponse response =
        gbk_page(notice_page("请先登录", "您还没有登录或登录已失效，正在转向登录页面……"), 302);
    response.headers.emplace_back("Location", sign_in_url(state, request.target));
    return response;
}

// Caller does not hold state.mutex. Boards and posts are open to guests, but a reader whose
// session ran out is asked to sign in again.
std::optional<ServerResponse> redirect_if_session_over(SimState& state,
                                                       const ServerRequest& request) {
    std::lock_guard lock(state.mutex);
    if (visitor_of(state, request).session_over) {
        return sign_in_redirect(state, request);
    }
    return std::nullopt;
}

ServerResponse home(SimState& state, const ServerRequest& request) {
    std::lock_guard lock(state.mutex);
    std::optional<SignedInView> view;
    if (ForumSession* session = visitor_of(state, request).session) {
        const Account& account = state.accounts[session->account];
        view = SignedInView{account.name,    session->verify_hash, session->punch_verify,
                            account.balance, account.id,           account.level};
    }
    return gbk_page(home_page(view, sign_in_url(state, "/")));
}

ServerResponse punch(SimState& state, const ServerRequest& request) {
    std::lock_guard lock(state.mutex);
    ForumSession* session = visitor_of(state, request).session;
    if (session == nullptr) {
        return sign_in_redirect(state, request);
    }
    auto nowtime = query_value(request.query, "nowtime").value_or("");
    bool valid = request.body == "step=2" && query_value(request.query, "action") == "punch" &&
                 query_value(request.query, "ajax") == "1" &&
                 query_value(request.query, "punchverify") == session->punch_verify &&
                 query_value(request.query, "verify") == session->verify_hash &&
                 nowtime.size() == 13 && all_digits(nowtime);
    if (!valid) {
        return gbk_page(punch_answer(kRetry, false));
    }
    Account& account = state.accounts[session->account];
    auto now = std::chrono::steady_clock::now();
    auto previous = account.last_punch_click;
    account.last_punch_click = now;
    if (previous != std::chrono::steady_clock::time_point{} &&
        now - previous < state.punch_cooldown) {
        return gbk_page(punch_answer("您点击的太快了，休息下吧", false));
    }
    if (account.punched_on == today()) {
        return gbk_page(punch_answer("您已签到完毕，明天再来吧", false));
    }
    account.punched_on = today();
    account.balance += kPunchReward;
    return gbk_page(
        punch_answer("完成 每日打卡，获得 " + std::to_string(kPunchReward) + " 刀", true));
}

ServerResponse board(SimState& state, const ServerRequest& request) {
    if (auto redirect = redirect_if_session_over(state, request)) {
        return std::move(*redirect);
    }
    auto fid = query_value(request.query, "fid").value_or("");
    const Board* found = all_digits(fid) && fid.size() < 6 ? find_board(std::stoi(fid)) : nullptr;
    if (found == nullptr) {
        return gbk_page(notice_page("板块不存在", "您访问的板块不存在或已被关闭。"), 404);
    }
    return gbk_page(board_page(*found, threads_of(*found)));
}

// A post body of one line of about a megabyte, full of picture tags whose addresses are never
// closed by a quote: a worst case for the client's picture pattern.
std::string long_line_body(std::string_view forum_host) {
    std::string unit =
        "<img src=http://" + std::string(forum_host) + "/images/big.png border=0 src=";
    std::string line;
    line.reserve((1u << 20) + unit.size());
    while (line.size() < (1u << 20)) {
        line += unit;
    }
    return line;
}

// A megabyte of lines that each make the client's picture pattern backtrack over the whole line
// from its "<img", again for every "src": no ">" follows the last quote. Without a bound on the
// matcher's work, every line cost the reader over a second.
std::string regex_bomb_lines() {
    std::string line = "<img>";
    while (line.size() < 6000) {
        line += "src=\"a";
    }
    line += "\n";
    std::string lines = "\n";
    while (lines.size() < (1u << 20)) {
        lines += line;
    }
    return lines;
}

ServerResponse post(SimState& state, const ServerRequest& request) {
    if (auto redirect = redirect_if_session_over(state, request)) {
        return std::move(*redirect);
    }
    // "/r<tid>/"
    std::string_view path = request.path;
    std::string_view digits = path.substr(2, path.size() - 3);
    Thread thread;
    if (path.size() < 4 || path.back() != '/' || !all_digits(digits) || digits.size() > 6 ||
        !find_thread(std::stoi(std::string(digits)), thread)) {
        return gbk_page(notice_page("帖子不存在", "您访问的帖子不存在或已被删除。"), 404);
    }
    Fault fault = state.fault;
    std::string forum_host;
    {
        std::lock_guard lock(state.mutex);
        forum_host = state.forum_host;
    }
    std::string root = "http://" + forum_host + "/";
    std::string images = root + "images/";
    PostShape shape = post_shape(thread.tid);
    PostView view{thread, find_board(thread.fid)->name, "", {}, "", ""};
    if (!shape.popup.empty()) {
        view.popup_url =
            fault == Fault::foreign_schemes ? "file:///etc/passwd" : root + shape.popup;
    }
    int count = 0;
    for (const auto& line : shape.picture_lines) {
        auto& addresses = view.picture_lines.emplace_back();
        for (const auto& name : line) {
            if (fault == Fault::foreign_schemes) {
                addresses.push_back(count++ % 2 == 0 ? "file:///etc/passwd"
                                                     : "ftp://127.0.0.1/x.png");
            } else {
                addresses.push_back((contains(name, "/") ? root : images) + name);
            }
        }
    }
    if (fault == Fault::long_line_post) {
        view.body_override = long_line_body(forum_host);
    }
    if (fault == Fault::regex_bomb_post) {
        view.body_tail = regex_bomb_lines();
    }
    return gbk_page(post_page(view));
}

// The picture named `name`, or the forum's page for a missing one.
ServerResponse image(std::string_view name) {
    auto picture = picture_named(name);
    if (!picture) {
        return gbk_page(notice_page("404", "图片不存在。"), 404);
    }
    ServerResponse response;
    response.headers = {{"Content-Type", picture->content_type}, {"Cache-Control", "max-age=3600"}};
    response.body = std::move(picture->bytes);
    return response;
}

}  // namespace

ServerResponse handle_forum_request(SimState& state, const ServerRequest& request) {
    const std::string& path = request.path;
    if (path == "/jobcenter.php" && request.method == "POST") {
        return punch(state, request);
    }
    if (request.method != "GET" && request.method != "HEAD") {
        return gbk_page(notice_page("405", "不支持的请求方式。"), 405);
    }
    if (path == "/" || path == "/index.php") {
        return home(state, request);
    }
    if (path == "/thread.php") {
        return board(state, request);
    }
    // Pages name pictures in sub-folders too ("images/wind/up.gif"); the name alone decides.
    if (path.rfind("/images/", 0) == 0) {
        return image(std::string_view(path).substr(path.rfind('/') + 1));
    }
    if (path == kChinesePictureTarget) {
        return image("chinese_name.png");
    }
    if (path.rfind("/r", 0) == 0) {
        return post(state, request);
    }
    return gbk_page(notice_page("404", "您访问的页面不存在。"), 404);
}

}  // namespace tamsor::sim
