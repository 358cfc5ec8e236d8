#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "forum/forum_hosts.h"
#include "http/network.h"

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
    // The operations window's status label (标签2).
    virtual void set_status(std::string_view status) = 0;
    virtual void store_field(ProfileField field, std::string_view value) = 0;
    virtual void show_label(ProfileLabel label, std::string_view value) = 0;
    // The forum showed the page without the account: the session is over. A view that cannot
    // offer a new sign-in leaves it at the status text.
    virtual void session_ended() {}
};

// One run: fetch the forum home page, cut the five values, show three of them, step the status
// from "状态：10％" to "状态：100％", pause 200 ms, end at the resting text.
// A fetch that brings no page stores and shows nothing and ends at once at "状态：获取失败";
// a page without the account ends at "状态：登录失效" and reports the session over.
// `balance_before` is the DB balance read before a punch: the resting text then tells how the
// punch changed it.
void fetch_profile(const ForumHosts& hosts, ProfileView& view,
                   const std::optional<std::string>& balance_before = std::nullopt,
                   const Network& net = real_network());

// The resting status after a profile fetch: what a punch did to the DB balance when it followed
// one and both readings are whole numbers ("状态：签到成功，DB +10", "状态：签到成功，DB 未变"),
// otherwise "状态：暂无操作".
std::string profile_resting_status(const std::optional<std::string>& balance_before,
                                   std::string_view balance_after);

// Thread entry of the profile fetch; runs may overlap.
void profile_worker(ForumHosts hosts, std::shared_ptr<ProfileView> view,
                    Network net = real_network());
// Thread entry of the profile fetch after a successful punch, with the balance read before it.
void punch_check_worker(ForumHosts hosts, std::shared_ptr<ProfileView> view,
                        std::string balance_before, Network net = real_network());

}  // namespace tamsor
