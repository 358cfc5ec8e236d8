#pragma once

#include <string_view>

// The patterns the operations run over forum pages (RegexObject's dialect), in one place so
// that the matcher's tests and benchmarks run exactly these.
namespace tamsor {

// Board directory: the board names, then the board links, of the start page.
inline constexpr std::string_view board_name_pattern = R"(<h2 class="forumT mr10">(.*?)</h2>)";
inline constexpr std::string_view board_link_pattern = R"re(<a href="(.*?)" class="tittoo")re";

// Thread list: the thread titles, then the thread IDs, of a board page.
inline constexpr std::string_view thread_title_pattern = R"(class="subject_t">(.*?)</a>)";
inline constexpr std::string_view thread_id_pattern = R"re(id="a_ajax_(.*?)" class=")re";

// Post reader: the first picture of a post body (and the whole line it stands on).
inline constexpr std::string_view image_pattern = R"(\<img.*src *= *['"]*(\S+)["'].*\>)";

}  // namespace tamsor
