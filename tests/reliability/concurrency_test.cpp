// Work the window layer starts on threads of its own, run the way a hurried user runs it: several
// profile fetches at once, and a directory load whose window is closed before it ends. Built for
// the thread sanitizer as well as the ordinary run.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
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
        runs.emplace_back(profile_worker, hosts, views.back());
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
}

// Waits in its first call until the test lets it go, and says when it is destroyed and on which
// thread, so the test can drop its own reference while the load is still running.
class HeldDirectoryView : public BoardDirectoryView {
public:
    struct Outcome {
        std::atomic<int> rows{0};
        std::atomic<bool> destroyed{false};
        std::thread::id destroyed_on;
    };

    HeldDirectoryView(std::shared_ptr<Outcome> outcome, std::shared_future<void> released)
        : outcome_(std::move(outcome)), released_(std::move(released)) {}
    ~HeldDirectoryView() override {
        outcome_->destroyed_on = std::this_thread::get_id();
        outcome_->destroyed.store(true);
    }

    void clear_lists() override {
        entered.set_value();
        released_.wait();
    }
    void add_board_name(std::string_view) override { ++outcome_->rows; }
    void add_board_link(std::string_view) override { ++outcome_->rows; }
    void status_step(int) override {}

    std::promise<void> entered;

private:
    std::shared_ptr<HeldDirectoryView::Outcome> outcome_;
    std::shared_future<void> released_;
};

TEST_F(Concurrency, DirectoryLoadOutlivesItsWindowAndRefusesASecondStart) {
    auto outcome = std::make_shared<HeldDirectoryView::Outcome>();
    std::promise<void> release;
    auto view = std::make_shared<HeldDirectoryView>(outcome, release.get_future().share());
    std::future<void> entered = view->entered.get_future();

    std::thread running(board_directory_worker, hosts, view);
    entered.wait();
    // The window goes away: the worker's copy is now the only owner.
    std::weak_ptr<HeldDirectoryView> watch = view;
    view.reset();
    EXPECT_FALSE(watch.expired());

    // A second load while the first still runs does nothing at all.
    auto second = std::make_shared<testing::RecordingDirectoryView>();
    board_directory_worker(hosts, second);
    EXPECT_EQ(second->log.lines(), Lines{});

    const std::thread::id worker = running.get_id();
    release.set_value();
    running.join();
    // The last owner let the view go on its own thread, after the load filled it completely.
    EXPECT_TRUE(outcome->destroyed.load());
    EXPECT_EQ(outcome->destroyed_on, worker);

    // Once it ended, the next load runs, and finds as many rows as the orphaned one did.
    board_directory_worker(hosts, second);
    const Lines rows = second->log.lines();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), "clear");
    EXPECT_EQ(outcome->rows.load(), static_cast<int>(rows.size()) - 1);
}

}  // namespace
}  // namespace tamsor
