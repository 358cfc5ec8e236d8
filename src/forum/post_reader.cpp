#include "forum/post_reader.h"

#include "forum/forum_answer.h"
#include "http/url.h"
#include "text/replacement_table.h"
#include "text/strings.h"

namespace tamsor {
namespace {

constexpr std::string_view kBodyStart = R"(<div class="f14 mb10" id="read_tpc">)";
constexpr std::string_view kBodyEnd =
    "</div>\r\n\r\n\t\t</div>\r\n<!--content_read-->\r\n                </td>\r\n"
    "            </tr>\r\n            <tr>";
constexpr std::string_view kKeywordsStart = R"(<meta name="keywords" content=")";
constexpr std::string_view kKeywordsEnd = R"(" />)";

// Fragments of markup, not whole tags: whatever is left of a tag stays in the shown text. Some
// rows repeat because an earlier removal can join the pieces of a new occurrence.
constexpr Replacement kBodyCleanupRows[] = {
    {"f12 id="},
    {"onmouseover="},
    {"<b>"},
    {"<div id=\""},
    {"alert_tpc\""},
    {"&#160;"},
    {"center"},
    {"center"},
    {"hidden_1_tpc\""},
    {"center"},
    {"<div align="},
    {"font size="},
    {"hidden_4_tpc"},
    {"color:gray;margin-top:30px"},
    {"<span"},
    {"color:#"},
    {"div align="},
    {"\">"},
    {"<br />"},
    {"\"margin:10px 0;"},
    {"style="},
    {"\"f12 hidden quoteTips\""},
    {"class="},
    {"<div id=\"hidden_1_tpc\""},
    {"</font>"},
    {"</span>"},
    {"</p>"},
    {"</div>"},
    {"<p>"},
    {"&nbsp;"},
    {"<div id=\"alert_tpc\" style=\"color:gray;margin-top:30px\">"},
};

constexpr ReplacementTable kBodyCleanup(kBodyCleanupRows);

// A post without pictures has no address; asking the network for "" would only fail slowly.
ByteArray fetch_picture(const std::string& url, const Network& net) {
    if (url.empty()) {
        return {};
    }
    return net.fetch(url).body;
}

// Only the first match is ever read, so the search stops there: a long post holds thousands.
bool find_body_picture(RegexObject& regex, std::string_view body) {
    regex.execute(image_pattern, body, true, true, false);
    return regex.match_count() >= 1;
}

}  // namespace

std::string clean_post_body(std::string_view body) {
    return kBodyCleanup.apply(body);
}

std::span<const Replacement> post_body_cleanup_rows() {
    return kBodyCleanup.rows();
}

std::vector<std::string> split_limited(std::string_view text, std::string_view delimiter, int n) {
    if (n < 1) {
        return {};
    }
    const std::string_view separator = delimiter.empty() ? std::string_view(",") : delimiter;
    std::vector<std::string> parts;
    size_t start = 0;
    while (static_cast<int>(parts.size()) < n - 1) {
        const size_t found = text.find(separator, start);
        if (found == std::string_view::npos) {
            break;
        }
        parts.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    parts.emplace_back(text.substr(start));
    parts.resize(static_cast<size_t>(n));
    return parts;
}

std::optional<std::string> compose_post_address(const ForumHosts& hosts, std::string_view post_id) {
    if (post_id.empty()) {
        return std::string();
    }
    // A byte search is safe on UTF-8: every byte of a multi-byte character is 0x80 or above, so
    // an "r" found is the letter itself and never part of a Chinese character.
    if (post_id.find('r') == std::string_view::npos) {
        return std::nullopt;
    }
    return hosts.forum_root_url() + std::string(post_id) + "/";
}

void read_post(const ForumHosts& /*hosts*/, SharedState& state, PostView& view,
               const Network& net) {
    if (view.post_id().empty()) {
        state.message_code = MessageCode::no_post_id;
        view.show_message();
        return;
    }
    ForumAnswer answer = fetch_forum_page(view.post_address(), net);
    const PageVerdict verdict = judge_page(answer);
    // An error page or the sign-in form is no post: nothing of it is shown as one.
    const std::string page = verdict == PageVerdict::page ? std::move(answer.text) : std::string();
    state.post_body_text = text_between(page, kBodyStart, kBodyEnd);

    // A post without a pop-up link keeps the previous pop-up picture.
    const std::string popup = text_between(page, "window.open('", "');");
    if (!popup.empty()) {
        state.popup_image_url = popup;
        view.show_popup_picture(fetch_picture(state.popup_image_url, net));
    }

    // The match is copied out before the picture fetch: windows keep painting while it waits.
    const bool has_picture = find_body_picture(state.post_regex, state.post_body_text);
    const std::string first_match = has_picture ? state.post_regex.match_text(1) : std::string();
    state.viewer_image_url = has_picture ? state.post_regex.submatch_text(1, 1) : std::string();
    view.show_body_picture(fetch_picture(state.viewer_image_url, net));
    if (has_picture) {
        replace_all_in_place(state.post_body_text, first_match, "");
    }
    state.post_body_text = clean_post_body(state.post_body_text);
    view.show_body(state.post_body_text);

    const std::vector<std::string> keywords =
        split_limited(text_between(page, kKeywordsStart, kKeywordsEnd), ",", 2);
    state.post_title = keywords[0];
    view.show_title(verdict == PageVerdict::page ? state.post_title : failure_caption(verdict));
    state.post_board = keywords[1];
    view.show_board(state.post_board);
    if (verdict == PageVerdict::signed_out) {
        view.session_ended();
    }
}

void choose_body_picture(SharedState& state) {
    if (find_body_picture(state.post_regex, state.post_body_text)) {
        state.viewer_image_url = state.post_regex.submatch_text(1, 1);
    }
}

}  // namespace tamsor
