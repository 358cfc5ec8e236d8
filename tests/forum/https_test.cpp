// Both hosts configured with https: every address the operations build carries the scheme, the
// login form's forward value and the sign-in marker among them, and the session runs over TLS.
#include <gtest/gtest.h>

#include "recording_views.h"
#include "test_servers.h"
#include "text/gbk.h"
#include "text/strings.h"

namespace tamsor {
namespace {

using http_test::LocalHttpServer;
using testing::Lines;

// A forum on one https server that answers only what a client that keeps to https would ask:
// the sign-in needs the captcha's cookie and a forward value naming this server with https.
void serve_https_forum(LocalHttpServer& server) {
    auto base = [](const httplib::Request& req) {
        return "https://" + req.get_header_value("Host");
    };
    auto page = [](httplib::Response& res, std::string_view text) {
        res.set_content(utf8_to_gbk(text), "text/html; charset=gbk");
    };
    auto signed_in = [](const httplib::Request& req) {
        return contains(req.get_header_value("Cookie"), "auth=1");
    };
    server.http.Get("/class/CAP/codeshow.php", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "cap=1; path=/; Secure");
        res.set_content("\x89PNG", "image/png");
    });
    server.http.Post("/index.php", [=](const httplib::Request& req, httplib::Response& res) {
        const std::string forward = replace_all(replace_all(base(req), ":", "%3A"), "/", "%2F");
        if (!contains(req.get_header_value("Cookie"), "cap=1") ||
            !contains(req.body, "&forward=" + forward + "&")) {
            page(res, "登录失败,请检查用户名和密码是否输入正确");
            return;
        }
        res.set_header("Set-Cookie", "auth=1; path=/; Secure");
        page(res, "<meta http-equiv=\"refresh\" content=\"0;url=" + base(req) + "\" />");
    });
    server.http.Get("/", [=](const httplib::Request& req, httplib::Response& res) {
        page(res, signed_in(req) ? "verifyhash = 'h1';var punchverify = 'p1';<li>ＤＢ: 7刀</li>"
                                   "<h2 class=\"forumT mr10\">网游</h2>"
                                 : "guest");
    });
    server.http.Post("/jobcenter.php", [=](const httplib::Request& req, httplib::Response& res) {
        const bool tokens =
            req.get_param_value("punchverify") == "p1" && req.get_param_value("verify") == "h1";
        page(res, signed_in(req) && tokens ? "完成 每日打卡" : "请刷新页面后重试！");
    });
    server.start();
}

TEST(Https, SignInProfilePunchAndDirectoryOverTls) {
    clear_cookie_store();
    http_test::TrustTestAuthority trust;
    LocalHttpServer server("server");
    serve_https_forum(server);
    const std::string origin = server.url("");
    const ForumHosts hosts{origin, replace_all(origin, "https://", "HTTPS://")};
    ASSERT_EQ(hosts.forum_root_url(), origin + "/");

    SharedState state;
    testing::RecordingLoginView login(state);
    reload_captcha(hosts, login);
    login.form = {"demo", "demo123", "abcde"};
    submit_login(hosts, state, login);
    EXPECT_EQ(login.log.lines(), (Lines{"captcha:png", "form", "message:0"}));

    testing::RecordingProfileView profile(state);
    fetch_profile(hosts, profile);
    EXPECT_EQ(state.db_balance, "7");

    testing::RecordingPunchView punch(state);
    daily_punch(hosts, state, punch);
    EXPECT_EQ(punch.log.lines(), (Lines{"message:5", "profile worker"}));

    testing::RecordingDirectoryView directory;
    load_board_directory(hosts, directory);
    EXPECT_EQ(directory.log.values("name"), Lines{"网游"});
    clear_cookie_store();
}

}  // namespace
}  // namespace tamsor
