#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forum/forum_hosts.h"
#include "forum/page_patterns.h"
#include "forum/shared_state.h"
#include "http/network.h"
#include "text/replacement_table.h"

namespace tamsor {

// What the post reader needs of the post viewer. Called on the window thread.
class PostView {
public:
    virtual ~PostView() = default;
    virtual std::string post_id() = 0;       // the post-ID box, 编辑框2
    virtual std::string post_address() = 0;  // the post-address box, 编辑框3
    virtual void show_message() = 0;         // message window for state.message_code, modal
    // The pop-up picture (图片框3) and the body picture (图片框2; empty bytes clear it).
    virtual void show_popup_picture(const ByteArray& picture) = 0;
    virtual void show_body_picture(const ByteArray& picture) = 0;
    virtual void show_body(std::string_view text) = 0;    // the body box, 编辑框1
    virtual void show_title(std::string_view title) = 0;  // the title label, 帖子标题
    virtual void show_board(std::string_view board) = 0;  // the board label, 板块标签
    // The forum answered with its sign-in form. A view that cannot offer a new sign-in leaves it
    // at the title caption.
    virtual void session_ended() {}
};

// The post body without the markup the body cleanup table removes.
std::string clean_post_body(std::string_view body);

// The body cleanup table's rows, in the order they apply.
std::span<const Replacement> post_body_cleanup_rows();

// Splits at every delimiter ("" means ","): parts 1..n-1 as they are, part n the rest joined
// again; padded with empty texts to n entries.
std::vector<std::string> split_limited(std::string_view text, std::string_view delimiter, int n);

// The post-address box's new content for a post ID: "" for an empty ID, the post address when the
// ID holds the letter "r", nullopt (leave it) otherwise.
std::optional<std::string> compose_post_address(const ForumHosts& hosts, std::string_view post_id);

// Reads the post at the address in the post-address box. A fetch that brings no post is read as an
// empty page, and the title then says why ("获取失败", or "登录失效" with the session reported
// over).
void read_post(const ForumHosts& hosts, SharedState& state, PostView& view,
               const Network& net = real_network());

// The address a double-click on the body picture opens: group 1 of the first image match in the
// cleaned body, kept unchanged (state.viewer_image_url) when nothing matches.
void choose_body_picture(SharedState& state);

}  // namespace tamsor
