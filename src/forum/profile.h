#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "forum/forum_hosts.h"

namespace tamsor {

enum class ProfileField {
    home_page_text,
    verify_hash,
    punch_verify,
    db_balance,
    account_id,
    account_level
};
enum class ProfileLabel { db, quenda_id, level };

// What the profile fetch reports. Called on the worker thread, in the order of the steps; the
// window layer forwards each call to the window thread (storing fields in SharedState there)
// and drops them once the operations window is gone.
class ProfileView {
public:
    virtual ~ProfileView() = default;
    virtual void set_status(std::string_view status) = 0;  // operations window 标签2
    virtual void store_field(ProfileField field, std::string_view value) = 0;
    virtual void show_label(ProfileLabel label, std::string_view value) = 0;
};

// One run: fetch the forum home page, cut the five values, show three of them, step the status
// from "状态：10％" to "状态：100％", pause 200 ms, end at "状态：暂无操作".
void fetch_profile(const ForumHosts& hosts, ProfileView& view);

// Thread entry of the profile fetch; runs may overlap.
void profile_worker(ForumHosts hosts, std::shared_ptr<ProfileView> view);

}  // namespace tamsor
