// One whole session through the client's forum operations, the window calls recorded instead
// of shown: captcha, login, profile, punch, board directory, one board's threads, one post with
// its pictures and the picture the viewer opens. The profile and the directory run on threads of
// their own, as the windows run them, so that the session pays for whatever a new worker thread
// costs the transport. Run by bench/compare.py against a simulator in a process of its own.
//
//   tamsor_session_client ACCOUNT_HOST FORUM_HOST NAME PASSWORD
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "forum/board_directory.h"
#include "forum/login.h"
#include "forum/post_reader.h"
#include "forum/profile.h"
#include "forum/punch.h"
#include "forum/thread_list.h"
#include "http/http_request.h"
#include "recording_views.h"
#include "session_timing.h"

namespace tamsor::bench {
namespace {

using testing::picture_kind;

int run_session(const ForumHosts& hosts, const std::string& name, const std::string& password) {
    SessionClock clock;
    SharedState state;

    testing::RecordingLoginView login(state);
    reload_captcha(hosts, login);
    clock.lap("captcha");
    login.form = {name, password, clock.ask_captcha_code()};
    submit_login(hosts, state, login);
    clock.lap("login");

    auto profile = std::make_shared<testing::RecordingProfileView>(state);
    std::thread(profile_worker, hosts, profile, real_network()).join();
    clock.lap("profile");

    testing::RecordingPunchView punch(state);
    daily_punch(hosts, state, punch);
    clock.lap("punch");

    auto directory = std::make_shared<testing::RecordingDirectoryView>();
    std::thread(board_directory_worker, hosts, directory, real_network()).join();
    clock.lap("directory");
    const testing::Lines links = directory->log.values("link");
    if (links.empty()) {
        std::cerr << "the board directory came back empty\n";
        return 1;
    }

    testing::RecordingThreadListView threads;
    threads.address = board_address(hosts, links.front());
    load_thread_list(hosts, threads);
    clock.lap("threads");
    const testing::Lines post_ids = threads.log.values("id");
    if (post_ids.empty()) {
        std::cerr << "the thread list came back empty\n";
        return 1;
    }

    testing::RecordingPostView post(state);
    post.id = post_ids.front();
    post.address = compose_post_address(hosts, post.id).value_or("");
    read_post(hosts, state, post);
    const std::string body_picture = state.viewer_image_url;
    clock.lap("post");

    choose_body_picture(state);
    state.viewer_image_data = fetch_url_bytes(state.viewer_image_url);
    clock.lap("viewer");
    clock.print_result();

    // What the session found, for the driver to compare with the peers and to name the
    // addresses the floor fetches.
    std::cout << "check login=" << login.log.values("message").at(0)
              << " punch=" << punch.log.values("message").at(0) << " id=" << state.account_id
              << " boards=" << directory->log.values("name").size() << " links=" << links.size()
              << " titles=" << threads.log.values("title").size() << " ids=" << post_ids.size()
              << " body=" << state.post_body_text.size()
              << " picture=" << post.log.values("picture").at(0)
              << " viewer=" << picture_kind(state.viewer_image_data) << '\n'
              << "address board " << threads.address << '\n'
              << "address post " << post.address << '\n'
              << "address popup " << state.popup_image_url << '\n'
              << "address picture " << body_picture << '\n'
              << "address viewer " << state.viewer_image_url << std::endl;
    return 0;
}

}  // namespace
}  // namespace tamsor::bench

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: tamsor_session_client ACCOUNT_HOST FORUM_HOST NAME PASSWORD\n";
        return 2;
    }
    // The transport starts before the clock, as the floor's curl_global_init and the script's
    // import of requests do; what the session costs is timed, not what loading a library costs.
    tamsor::clear_cookie_store();
    return tamsor::bench::run_session({argv[1], argv[2]}, argv[3], argv[4]);
}
