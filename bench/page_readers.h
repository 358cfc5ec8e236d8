#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "regex/regex_object.h"

// What each forum operation does with a page once it has the bytes, step for step as the
// operations do it, without the network and without the window calls. The operations keep
// these steps inline; the copies here must follow them when they change.
namespace tamsor::bench {

struct DirectoryRead {
    std::vector<std::string> names;
    std::vector<std::string> links;
};
// The start page is fetched twice by the directory, so it is decoded twice.
DirectoryRead read_directory(RegexObject& regex, std::string_view first_fetch,
                             std::string_view second_fetch);

struct ThreadListRead {
    std::string board_info;
    std::vector<std::string> titles;
    std::vector<std::string> post_ids;
};
ThreadListRead read_thread_list(RegexObject& regex, std::string_view page_bytes);

struct PostRead {
    std::string body;
    std::string popup_url;
    std::string picture_url;
    std::string title;
    std::string board;
};
PostRead read_post_page(RegexObject& regex, std::string_view page_bytes);

// verify hash, punch token, balance, account ID, level.
std::vector<std::string> read_profile(std::string_view page_bytes);

inline constexpr std::string_view kBoardNamePattern = R"(<h2 class="forumT mr10">(.*?)</h2>)";
inline constexpr std::string_view kBoardLinkPattern = R"re(<a href="(.*?)" class="tittoo")re";
inline constexpr std::string_view kTitlePattern = R"(class="subject_t">(.*?)</a>)";
inline constexpr std::string_view kThreadIdPattern = R"re(id="a_ajax_(.*?)" class=")re";

}  // namespace tamsor::bench
