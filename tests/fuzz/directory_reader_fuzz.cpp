// The board directory over a whole start page (it fetches the page twice, names then links).
#include "fake_network.h"
#include "forum/board_directory.h"
#include "fuzz_support.h"

using namespace tamsor;

namespace {

class CheckingDirectoryView : public BoardDirectoryView {
public:
    explicit CheckingDirectoryView(std::string page) : page_(std::move(page)) {}
    void clear_lists() override { ++clears; }
    void add_board_name(std::string_view name) override {
        fuzz::check(fuzz::is_valid_utf8(name), "a board name is text", name);
        ++names;
    }
    void add_board_link(std::string_view link) override {
        fuzz::check(page_.find(link) != std::string::npos, "a link is part of the page", link);
        ++links;
    }
    void status_step(DirectoryPhase phase) override {
        fuzz::check(phase == (links > 0 ? DirectoryPhase::links : DirectoryPhase::names),
                    "steps follow the rows they count");
        caption = directory_status_step(caption, phase).value_or(caption);
    }
    void show_failure(std::string_view failure) override {
        fuzz::check(names == 0 && links == 0, "only a page never read fails");
        failed = true;
        caption = failure;
    }

    int clears = 0;
    int names = 0;
    int links = 0;
    bool failed = false;
    std::string caption = "状态：暂无获取";

private:
    std::string page_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckingDirectoryView view(fuzz::serve_page(fuzz::input_bytes(data, size)));
    load_board_directory(fuzz::hosts(), view, fuzz::net());
    fuzz::check(view.clears == 1, "the lists are cleared once, first");
    fuzz::check(fuzz::pages_served() == (view.failed ? 1 : 2),
                "the start page is read for names and for links, unless it is no page");
    return 0;
}
