// Work the window layer starts on threads of its own, run the way a hurried user runs it: several
// profile fetches at once, and a directory load whose window is closed before it ends. Built for
// the thread sanitizer as well as the ordinary run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "forum_fixture.h"

namespace tamsor {
namespace {

using testing::Lines;

class Concurrency : public testing::ForumTest {};

TEST_F(Concurrency, OverlappingProfileFetchesEachFinishWithTheSameValues) {
    ASSERT_EQ(sign_in(0), (Lines{"captcha:png", "form", "message:0"}));

    constexpr int kRuns = 4;
    std::vector<SharedState> states(kRuns);
    std::vector<std::shared_ptr<testing::RecordingProfileView>> views;
    std::vector<std::thread> runs;
    for (int i = 0; i < kRuns; ++i) {
        views.push_back(std::make_shared<testing::RecordingProfileView>(states[i]));
        runs.emplace_back(profile_worker, hosts, views.back(), real_network());
    }
    for (std::thread& run : runs) {
        run.join();
    }

    // Each run has its own status climb and reads the signed-in page through the shared store.
    for (int i = 0; i < kRuns; ++i) {
        const Lines statuses = views[i]->log.values("status");
        ASSERT_EQ(statuses.size(), 11u) << i;
        EXPECT_EQ(statuses.back(), "状态：暂无操作") << i;
        EXPECT_FALSE(states[i].verify_hash.empty()) << i;
        EXPECT_EQ(states[i].verify_hash, states[0].verify_hash) << i;
        EXPECT_EQ(states[i].account_id, states[0].account_id) << i;
        EXPECT_EQ(states[i].db_balance, states[0].db_balance) << i;
    }

    // The runs took connections side by side and gave them back: the next fetch opens none.
    const int opened = sim.connections_accepted().forum;
    EXPECT_LE(opened, kRuns);
    std::thread(profile_worker, hosts, views[0], real_network()).join();
    EXPECT_EQ(sim.connections_accepted().forum, opened);
}

// Says when it is destroyed and on which thread, so the test can drop its own reference while
// the load is still running.
class WatchedDirectoryView : public testing::RecordingDirectoryView {
public:
    struct Outcome {
        std::atomic<bool> destroyed{false};
        std::thread::id destroyed_on;
    };

    explicit WatchedDirectoryView(std::shared_ptr<Outcome> outcome)
        : outcome_(std::move(outcome)) {}
    ~WatchedDirectoryView() override {
        outcome_->destroyed_on = std::this_thread::get_id();
        outcome_->destroyed.store(true);
    }

private:
    std::shared_ptr<Outcome> outcome_;
};

TEST_F(Concurrency, AnAbandonedDirectoryLoadStopsWaitingForAStalledForum) {
    sim.set_fault(sim::Fault::stall);  // half the start page, then silence for a long while
    auto outcome = std::make_shared<WatchedDirectoryView::Outcome>();
    auto view = std::make_shared<WatchedDirectoryView>(outcome);
    std::thread running(board_directory_worker, hosts, view, real_network());
    const auto asked_at = std::chrono::steady_clock::now();
    while (sim.request_log().empty() &&
           std::chrono::steady_clock::now() - asked_at < std::chrono::seconds(10)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(sim.request_log().empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // into the stalled answer

    // The window goes: it abandons its load and the worker's copy is the only owner.
    view->abandon();
    std::weak_ptr<WatchedDirectoryView> watch = view;
    view.reset();
    const auto abandoned_at = std::chrono::steady_clock::now();
    const std::thread::id worker = running.get_id();
    running.join();

    // Far sooner than the transfer's own stall limit, without a second fetch of the page.
    EXPECT_LT(std::chrono::steady_clock::now() - abandoned_at, std::chrono::seconds(2));
    EXPECT_EQ(sim.request_log().size(), 1u);
    // The last owner let the view go on its own thread.
    EXPECT_TRUE(outcome->destroyed.load());
    EXPECT_EQ(outcome->destroyed_on, worker);
}

}  // namespace
}  // namespace tamsor
