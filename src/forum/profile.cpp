#include "forum/profile.h"

#include <chrono>
#include <thread>

#include "forum/page_fetch.h"
#include "http/url.h"

namespace tamsor {
namespace {

struct ProfileCut {
    ProfileField field;
    std::string_view start_marker;
    std::string_view end_marker;
};

// Each value is cut from the start of the page on its own, so one missing marker empties only
// its own value.
constexpr ProfileCut kProfileCuts[] = {
    {ProfileField::verify_hash, "verifyhash = '", "';var"},
    {ProfileField::punch_verify, "var punchverify = '", "';"},
    {ProfileField::db_balance, "<li>ＤＢ: ", "刀</li>"},
    {ProfileField::account_id, "<li>QuendaID：<span class=\"red\">", "</span></li>"},
    {ProfileField::account_level, "<li>等级: ", "</li>"},
};

struct ProfileShow {
    ProfileLabel label;
    ProfileField field;
};

constexpr ProfileShow kProfileLabels[] = {
    {ProfileLabel::db, ProfileField::db_balance},
    {ProfileLabel::quenda_id, ProfileField::account_id},
    {ProfileLabel::level, ProfileField::account_level},
};

constexpr size_t kProfileFieldCount = static_cast<size_t>(ProfileField::account_level) + 1;
constexpr auto kFinalPause = std::chrono::milliseconds(200);

std::string percent_status(int tenths) {
    return "状态：" + std::to_string(tenths * 10) + "％";
}

// The step's status text goes out before the work it announces.
class StatusCounter {
public:
    explicit StatusCounter(ProfileView& view) : view_(view) {}
    void next() { view_.set_status(percent_status(++step_)); }

private:
    ProfileView& view_;
    int step_ = 0;
};

}  // namespace

void fetch_profile(const ForumHosts& hosts, ProfileView& view) {
    StatusCounter status(view);
    status.next();
    const std::string page = fetch_page_text(hosts.forum_root_url());
    view.store_field(ProfileField::home_page_text, page);

    std::string values[kProfileFieldCount];
    for (const ProfileCut& cut : kProfileCuts) {
        status.next();
        std::string& value = values[static_cast<size_t>(cut.field)];
        value = text_between(page, cut.start_marker, cut.end_marker);
        view.store_field(cut.field, value);
    }
    for (const ProfileShow& show : kProfileLabels) {
        status.next();
        view.show_label(show.label, values[static_cast<size_t>(show.field)]);
    }
    status.next();
    std::this_thread::sleep_for(kFinalPause);
    view.set_status("状态：暂无操作");
}

void profile_worker(ForumHosts hosts, std::shared_ptr<ProfileView> view) {
    if (!view) {
        return;
    }
    // An exception leaving a thread entry ends the process; a failed run just stops reporting.
    try {
        fetch_profile(hosts, *view);
    } catch (...) {
    }
}

}  // namespace tamsor
