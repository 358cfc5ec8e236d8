#include "page_readers.h"

#include <algorithm>
#include <iterator>

#include "forum/post_reader.h"
#include "forum/thread_list.h"
#include "http/url.h"
#include "text/gbk.h"
#include "text/strings.h"

namespace tamsor::bench {
namespace {

constexpr std::string_view kCategoryCaptions[] = {"更多网络游戏", "更多手机游戏", "更多单机休闲",
                                                  "更多精彩板块"};

constexpr std::string_view kBodyStart = R"(<div class="f14 mb10" id="read_tpc">)";
constexpr std::string_view kBodyEnd =
    "</div>\r\n\r\n\t\t</div>\r\n<!--content_read-->\r\n                </td>\r\n"
    "            </tr>\r\n            <tr>";

struct Cut {
    std::string_view start;
    std::string_view end;
};
constexpr Cut kProfileCuts[] = {
    {"verifyhash = '", "';var"}, {"var punchverify = '", "';"},
    {"<li>ＤＢ: ", "刀</li>"},   {"<li>QuendaID：<span class=\"red\">", "</span></li>"},
    {"<li>等级: ", "</li>"},
};

}  // namespace

DirectoryRead read_directory(RegexObject& regex, std::string_view first_fetch,
                             std::string_view second_fetch) {
    DirectoryRead read;
    regex.execute(kBoardNamePattern, page_text(first_fetch), true, true, true);
    for (int i = 1; i <= regex.match_count(); ++i) {
        std::string name = regex.submatch_text(i, 1);
        for (std::string_view markup : {"</font>", "<font color=red>", "<font color=blue>"}) {
            name = replace_all(name, markup, "");
        }
        if (std::find(std::begin(kCategoryCaptions), std::end(kCategoryCaptions), name) !=
            std::end(kCategoryCaptions)) {
            continue;
        }
        read.names.push_back(replace_all(name, "<font color=blue>", ""));
    }
    regex.execute(kBoardLinkPattern, page_text(second_fetch), true, true, true);
    for (int i = 1; i <= regex.match_count(); ++i) {
        read.links.push_back(regex.submatch_text(i, 1));
    }
    return read;
}

ThreadListRead read_thread_list(RegexObject& regex, std::string_view page_bytes) {
    ThreadListRead read;
    const std::string page = page_text(page_bytes);
    read.board_info = "主题：" + text_between(page, ">|</span>主题：", "\r\n") + "\r\n今天发帖：" +
                      text_between(page, "藏</a>\r\n\t\t</span>\r\n\r\n今日:", "<img src=") +
                      "\r\n排名：" + text_between(page, ">|</span>排名：", "<img src=");
    regex.execute(kTitlePattern, page, true, true, true);
    for (int i = 1; i <= regex.match_count(); ++i) {
        read.titles.push_back(clean_thread_title(regex.submatch_text(i, 1)));
    }
    regex.execute(kThreadIdPattern, page, true, true, true);
    for (int i = 1; i <= regex.match_count(); ++i) {
        read.post_ids.push_back("r" + regex.submatch_text(i, 1));
    }
    return read;
}

PostRead read_post_page(RegexObject& regex, std::string_view page_bytes) {
    PostRead read;
    const std::string page = page_text(page_bytes);
    read.body = text_between(page, kBodyStart, kBodyEnd);
    read.popup_url = text_between(page, "window.open('", "');");
    regex.execute(image_pattern, read.body, true, true, true);
    if (regex.match_count() >= 1) {
        read.picture_url = regex.submatch_text(1, 1);
        read.body = replace_all(read.body, regex.match_text(1), "");
    }
    read.body = clean_post_body(read.body);
    const std::vector<std::string> keywords =
        split_limited(text_between(page, R"(<meta name="keywords" content=")", R"(" />)"), ",", 2);
    read.title = keywords[0];
    read.board = keywords[1];
    return read;
}

std::vector<std::string> read_profile(std::string_view page_bytes) {
    const std::string page = page_text(page_bytes);
    std::vector<std::string> values;
    for (const Cut& cut : kProfileCuts) {
        values.push_back(text_between(page, cut.start, cut.end));
    }
    return values;
}

}  // namespace tamsor::bench
