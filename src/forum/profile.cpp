#include "forum/profile.h"

#include <charconv>
#include <chrono>

#include "forum/forum_answer.h"
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
constexpr std::string_view kIdleStatus = "状态：暂无操作";
constexpr std::string_view kPunchedStatus = "状态：签到成功，DB ";
// Balances far below the range of the difference, so it cannot overflow.
constexpr size_t kMaxBalanceDigits = 18;

std::string_view start_marker_of(ProfileField field) {
    for (const ProfileCut& cut : kProfileCuts) {
        if (cut.field == field) {
            return cut.start_marker;
        }
    }
    return {};
}

// The forum shows the account box, and with it the values the labels show, to a signed-in
// visitor only: a page with none of their markers is the guest page (or the sign-in form).
bool shows_account(std::string_view page) {
    for (const ProfileShow& show : kProfileLabels) {
        if (page.find(start_marker_of(show.field)) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

PageVerdict judge_home_page(const ForumAnswer& answer) {
    const PageVerdict verdict = judge_page(answer);
    if (verdict == PageVerdict::page && !shows_account(answer.text)) {
        return PageVerdict::signed_out;
    }
    return verdict;
}

// A balance as the forum writes it: decimal digits, perhaps after a minus sign.
std::optional<long long> balance_number(std::string_view text) {
    const std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || digits.size() > kMaxBalanceDigits) {
        return std::nullopt;
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

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

// An exception leaving a thread entry ends the process; a failed run just stops reporting.
void run_profile_fetch(const ForumHosts& hosts, const std::shared_ptr<ProfileView>& view,
                       const std::optional<std::string>& balance_before, const Network& net) {
    if (!view) {
        return;
    }
    try {
        fetch_profile(hosts, *view, balance_before, net);
    } catch (...) {
    }
}

}  // namespace

std::string profile_resting_status(const std::optional<std::string>& balance_before,
                                   std::string_view balance_after) {
    if (!balance_before) {
        return std::string(kIdleStatus);
    }
    const std::optional<long long> before = balance_number(*balance_before);
    const std::optional<long long> after = balance_number(balance_after);
    if (!before || !after) {
        return std::string(kIdleStatus);
    }
    const long long change = *after - *before;
    const std::string amount = change == 0  ? "未变"
                               : change > 0 ? "+" + std::to_string(change)
                                            : std::to_string(change);
    return std::string(kPunchedStatus) + amount;
}

void fetch_profile(const ForumHosts& hosts, ProfileView& view,
                   const std::optional<std::string>& balance_before, const Network& net) {
    StatusCounter status(view);
    status.next();
    const ForumAnswer answer = fetch_forum_page(hosts.forum_root_url(), net);
    // Without the account page the labels keep what they showed: empty labels would claim the
    // account has no values.
    const PageVerdict verdict = judge_home_page(answer);
    if (verdict != PageVerdict::page) {
        view.set_status(failure_status(verdict));
        if (verdict == PageVerdict::signed_out) {
            view.session_ended();
        }
        return;
    }
    const std::string& page = answer.text;
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
    net.pause(kFinalPause);
    view.set_status(profile_resting_status(balance_before,
                                           values[static_cast<size_t>(ProfileField::db_balance)]));
}

void profile_worker(ForumHosts hosts, std::shared_ptr<ProfileView> view, Network net) {
    run_profile_fetch(hosts, view, std::nullopt, net);
}

void punch_check_worker(ForumHosts hosts, std::shared_ptr<ProfileView> view,
                        std::string balance_before, Network net) {
    run_profile_fetch(hosts, view, balance_before, net);
}

}  // namespace tamsor
