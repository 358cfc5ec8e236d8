// The post reader over a whole post page, pictures and pop-up included.
#include "fake_network.h"
#include "forum/post_reader.h"
#include "fuzz_support.h"

using namespace tamsor;

namespace {

class CheckingPostView : public PostView {
public:
    explicit CheckingPostView(std::string page) : page_(std::move(page)) {}
    std::string post_id() override { return "r1"; }
    std::string post_address() override { return std::string(fuzz::page_url); }
    void show_message() override { fuzz::fail("a post with an ID shows no message"); }
    void show_popup_picture(const ByteArray&) override {}
    void show_body_picture(const ByteArray&) override {}
    void show_body(std::string_view text) override {
        fuzz::check(text.size() <= page_.size(), "the body is no longer than the page");
    }
    void show_title(std::string_view title) override {
        // A page that is no post shows why as its title.
        if (title != "获取失败" && title != "登录失效") {
            check_part(title);
        }
    }
    void show_board(std::string_view board) override { check_part(board); }

private:
    void check_part(std::string_view value) {
        fuzz::check(page_.find(value) != std::string::npos, "shown values are part of the page",
                    value);
    }

    std::string page_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string page = fuzz::serve_page(fuzz::input_bytes(data, size));
    SharedState state;
    CheckingPostView view(page);
    read_post(fuzz::hosts(), state, view, fuzz::net());
    // The address the picture viewer would open is one the page named.
    fuzz::check(
        state.viewer_image_url.empty() || page.find(state.viewer_image_url) != std::string::npos,
        "the picture address comes from the page", state.viewer_image_url);
    choose_body_picture(state);
    return 0;
}
