// The profile fetch over a whole forum home page.
#include "fake_network.h"
#include "forum/profile.h"
#include "fuzz_support.h"

using namespace tamsor;

namespace {

class CheckingProfileView : public ProfileView {
public:
    explicit CheckingProfileView(std::string page) : page_(std::move(page)) {}
    void set_status(std::string_view status) override { last_status = status, ++statuses; }
    void store_field(ProfileField field, std::string_view value) override {
        fuzz::check(field == ProfileField::home_page_text ? value == page_
                                                          : page_.find(value) != std::string::npos,
                    "a stored value is the page or part of it", value);
    }
    void show_label(ProfileLabel, std::string_view value) override {
        fuzz::check(page_.find(value) != std::string::npos, "a shown value is part of the page",
                    value);
    }

    std::string last_status;
    int statuses = 0;

private:
    std::string page_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckingProfileView view(fuzz::serve_page(fuzz::input_bytes(data, size)));
    fetch_profile(fuzz::hosts(), view, std::nullopt, fuzz::net());
    fuzz::check(fuzz::pages_served() == 1, "one fetch of the home page");
    // A page with the account climbs to rest; one without, or none, says so after the first step.
    const bool read = view.statuses == 11 && view.last_status == "状态：暂无操作";
    const bool not_read = view.statuses == 2 && (view.last_status == "状态：获取失败" ||
                                                 view.last_status == "状态：登录失效");
    fuzz::check(read || not_read, "the status comes to rest whatever the page held",
                view.last_status);
    return 0;
}
