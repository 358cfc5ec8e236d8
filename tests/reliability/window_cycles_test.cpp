// A long signed-in session: the operations window runs its modal loop the whole time, and the
// windows opened from it come and go. Each closed window has to be gone, with its memory.
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <fstream>

#include "catalogue.h"
#include "ui_test_support.h"

namespace tamsor::test {
namespace {

using app::WindowKind;

// Resident memory of this process, after handing freed heap back to the system so that only
// what is still held counts.
long resident_bytes() {
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

int top_level_windows() {
    return static_cast<int>(QApplication::topLevelWidgets().size());
}

class WindowCycles : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        // The modal windows are closed from inside their own loops once they are up.
        closer_.setInterval(5);
        QObject::connect(&closer_, &QTimer::timeout, [this] {
            for (WindowKind kind : {WindowKind::image_viewer, WindowKind::message}) {
                if (shown(kind)) {
                    program_->close_window(kind);
                }
            }
        });
        closer_.start();
        const sim::Board& board = sim::boards().front();
        post_id_ = "r" + std::to_string(sim::threads_of(board).front().tid);
        picture_ = "http://" + sim_.forum_host() + "/images/popup_" +
                   std::to_string(sim::threads_of(board).front().tid) + ".jpg";
    }
    void TearDown() override {
        closer_.stop();
        ClientTest::TearDown();
    }

    // One open and close of each window that a session opens, the way its buttons do.
    void cycle() {
        program_->open_window(WindowKind::board_browser);
        program_->close_window(WindowKind::board_browser);
        program_->state().selected_post_id = post_id_;
        program_->open_window(WindowKind::post_viewer);  // reads the post with its pictures
        program_->close_window(WindowKind::post_viewer);
        program_->state().viewer_image_url = picture_;
        program_->open_window_modal(WindowKind::image_viewer);
        program_->state().message_code = MessageCode::punched;
        program_->open_window_modal(WindowKind::message);
    }

    QTimer closer_;
    std::string post_id_;
    std::string picture_;
};

TEST_F(WindowCycles, ClosedWindowsAreDestroyedInsideTheSession) {
    constexpr int kWarmUp = 5;
    constexpr int kCycles = 50;
    int windows_before = -1;
    int windows_after = -1;
    long resident_before = 0;
    long resident_after = 0;
    QElapsedTimer since_cycles;

    // Every cycle is a step of its own, so the operations window's loop runs between them as it
    // does between a person's clicks; a step waits until the last one's modal windows are gone.
    auto idle = [this] { return program_->modal_depth() == 1; };
    // The windows of the cycles are gone, or had their chance to go.
    auto settled = [&] {
        return idle() && (top_level_windows() <= windows_before || since_cycles.elapsed() > 2000);
    };
    Script script(stuck());
    script.step(
        "operations window", [this] { return shown(WindowKind::operations); },
        [&] { windows_before = top_level_windows(); });
    for (int i = 0; i < kWarmUp; ++i) {
        script.step("warm-up", idle, [&] {
            cycle();
            since_cycles.start();
        });
    }
    script.step("warmed up", settled, [&] { resident_before = resident_bytes(); });
    for (int i = 0; i < kCycles; ++i) {
        script.step("cycle", idle, [&] {
            cycle();
            since_cycles.start();
        });
    }
    script.step("cycles done", settled, [&] {
        windows_after = top_level_windows();
        resident_after = resident_bytes();
        program_->close_window(WindowKind::operations);
    });
    script.start();
    sign_in_without_windows();
    program_->open_window_modal(WindowKind::operations);

    ASSERT_TRUE(script.finished());
    RecordProperty("resident_growth_bytes", std::to_string(resident_after - resident_before));
    EXPECT_EQ(windows_after, windows_before);
    if (!built_with_sanitizer()) {
        EXPECT_LT(resident_after - resident_before, 5L << 20)
            << "from " << resident_before << " to " << resident_after << " bytes";
    }
}

}  // namespace
}  // namespace tamsor::test
