// The thread list over a whole board page.
#include "fake_network.h"
#include "forum/thread_list.h"
#include "fuzz_support.h"

using namespace tamsor;

namespace {

class CheckingThreadListView : public ThreadListView {
public:
    std::string board_address() override { return std::string(fuzz::page_url); }
    void clear_thread_lists() override { ++clears; }
    void set_fetch_enabled(bool enabled) override { fetch_enabled = enabled; }
    void show_board_info(std::string_view text) override {
        fuzz::check(fuzz::is_valid_utf8(text), "board information is text", text);
    }
    void add_thread_title(std::string_view title) override {
        fuzz::check(fuzz::is_valid_utf8(title), "a title is text", title);
    }
    void add_post_id(std::string_view post_id) override {
        fuzz::check(post_id.starts_with("r"), "a post ID starts with r", post_id);
    }
    std::string status() override { return caption; }
    void set_status(std::string_view status) override { caption = status; }

    int clears = 0;
    bool fetch_enabled = true;
    std::string caption = "状态：暂无获取";
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::serve_page(fuzz::input_bytes(data, size));
    CheckingThreadListView view;
    load_thread_list(fuzz::hosts(), view, fuzz::net());
    fuzz::check(view.clears == 1, "the lists are cleared once");
    fuzz::check(view.fetch_enabled, "the fetch button is usable again whatever the page held");
    fuzz::check(fuzz::pages_served() == 1, "one fetch of the board page");
    return 0;
}
