// Sessions that end: by their time running out or all at once. The forum then greets a guest and
// sends the visitor of a board, a post or the punch to the account host's sign-in. (A visitor who
// never signed in still reads boards and posts; the page tests read them so.)
#include <thread>

#include "forum/forum_answer.h"
#include "sim_fixture.h"
#include "text/strings.h"

namespace tamsor::sim_test {
namespace {

constexpr const char* kAccountMarker = "<li>QuendaID：<span class=\"red\">";

class Sessions : public SimTest {
protected:
    // The answer to a forum address, redirects not followed.
    HttpResponse first_answer(const std::string& path, bool punch = false) const {
        HttpRequest request;
        request.url = forum_url(path);
        request.no_redirect = true;
        if (punch) {
            request.method = HttpMethod::post;
            request.post_bytes = "step=2";
        }
        return http_request(request);
    }

    // Each address a session is needed for: the sign-in form, by way of a redirect that names
    // the address to come back to.
    void expect_sent_to_sign_in() const {
        for (const char* path : {"/thread.php?fid=11", "/r11001/", "/jobcenter.php?action=punch"}) {
            SCOPED_TRACE(path);
            const bool punch = std::string_view(path).starts_with("/jobcenter");
            const HttpResponse redirect = first_answer(path, punch);
            EXPECT_EQ(redirect.status, 302);
            const std::string back = url_encode("http://" + sim.forum_host() + path);
            EXPECT_TRUE(contains(redirect.response_headers,
                                 "Location: " + account_url("/index.php?forward=") + back))
                << redirect.response_headers;
            HttpRequest followed;
            followed.url = forum_url(path);
            followed.method = punch ? HttpMethod::post : HttpMethod::get;
            followed.post_bytes = punch ? "step=2" : "";
            EXPECT_TRUE(is_sign_in_page(text_of(http_request(followed))));
        }
        const std::string home = page(forum_url("/"));
        EXPECT_FALSE(contains(home, kAccountMarker));
        EXPECT_TRUE(contains(home, "游客您好"));
        EXPECT_TRUE(contains(home, account_url("/index.php?forward=")));
    }
};

TEST_F(Sessions, ARunOutOrEndedSessionIsSentToSignInAndANewSignInServesAgain) {
    const std::function<void()> ways_to_end[] = {
        [this] {
            sim.set_session_ttl(std::chrono::milliseconds(300));
            std::this_thread::sleep_for(std::chrono::milliseconds(350));
        },
        [this] { sim.end_sessions(); },
    };
    for (const auto& end_session : ways_to_end) {
        sim.set_session_ttl(std::chrono::milliseconds(0));
        sign_in_demo();
        ASSERT_TRUE(contains(page(forum_url("/")), kAccountMarker));
        end_session();
        expect_sent_to_sign_in();

        // The session lasts its time from the new sign-in.
        sign_in_demo();
        EXPECT_TRUE(contains(page(forum_url("/")), kAccountMarker));
        EXPECT_EQ(first_answer("/thread.php?fid=11").status, 200);
        sim.set_session_ttl(std::chrono::milliseconds(0));
    }
}

}  // namespace
}  // namespace tamsor::sim_test
