#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "catalogue.h"
#include "forum/thread_list.h"
#include "sim_fixture.h"
#include "text/strings.h"

namespace tamsor::sim_test {
namespace {

// What the lazy pattern prefix(.*?)suffix captures, match by match: the text from each prefix
// to the first suffix after it, provided no line break comes between.
std::vector<std::string> all_groups(const std::string& text, const std::string& prefix,
                                    const std::string& suffix) {
    std::vector<std::string> groups;
    for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
        size_t start = at + prefix.size();
        size_t end = text.find(suffix, start);
        if (end == std::string::npos) {
            break;
        }
        if (text.find_first_of("\r\n", start) < end) {
            continue;
        }
        groups.push_back(text.substr(start, end - start));
        at = end + suffix.size() - 1;
    }
    return groups;
}

const char kDbStart[] = "<li>ＤＢ: ";
const char kIdStart[] = "<li>QuendaID：<span class=\"red\">";
const char kLevelStart[] = "<li>等级: ";

using HomePage = SimTest;

TEST_F(HomePage, SignedInCarriesTheProfileAndPerSessionTokens) {
    sign_in_demo();
    std::string home = page(forum_url("/"));
    EXPECT_TRUE(contains(home, "\r\n"));
    std::string hash = text_between(home, "verifyhash = '", "';var");
    std::string punch = text_between(home, "var punchverify = '", "';");
    EXPECT_EQ(hash.size(), 8u);
    EXPECT_EQ(punch.size(), 10u);
    EXPECT_EQ(text_between(home, kDbStart, "刀</li>"), "123");
    EXPECT_EQ(text_between(home, kIdStart, "</span></li>"), "10086");
    EXPECT_EQ(text_between(home, kLevelStart, "</li>"), "新手上路");

    clear_cookie_store();
    const auto& chinese = sim::Simulator::demo_accounts()[1];
    log_in(chinese.name, chinese.password);
    std::string other = page(forum_url("/"));
    EXPECT_EQ(text_between(other, kIdStart, "</span></li>"), "20481");
    EXPECT_NE(text_between(other, "verifyhash = '", "';var"), hash);
    EXPECT_NE(text_between(other, "var punchverify = '", "';"), punch);
}

TEST_F(HomePage, GuestPageHasNoAccountMarkers) {
    std::string home = page(forum_url("/"));
    ASSERT_TRUE(contains(home, "class=\"tittoo\""));
    for (const char* marker :
         {"verifyhash = '", "var punchverify = '", kDbStart, kIdStart, kLevelStart}) {
        EXPECT_FALSE(contains(home, marker)) << marker;
    }
}

TEST_F(HomePage, DirectoryNamesAndLinksPairUpInOrder) {
    std::string home = page(forum_url("/"));
    std::vector<std::string> names;
    int captions = 0;
    for (auto name : all_groups(home, "<h2 class=\"forumT mr10\">", "</h2>")) {
        for (const char* markup : {"</font>", "<font color=red>", "<font color=blue>"}) {
            name = replace_all(name, markup, "");
        }
        const auto& all = sim::category_captions();
        if (std::find(all.begin(), all.end(), name) != all.end()) {
            ++captions;
            continue;
        }
        names.push_back(name);
    }
    auto links = all_groups(home, "<a href=\"", "\" class=\"tittoo\"");
    const auto& boards = sim::boards();
    EXPECT_EQ(captions, 4);
    ASSERT_EQ(names.size(), boards.size());
    ASSERT_EQ(links.size(), boards.size());
    for (size_t i = 0; i < boards.size(); ++i) {
        EXPECT_EQ(names[i], boards[i].name);
        EXPECT_EQ(links[i], "thread.php?fid=" + std::to_string(boards[i].fid));
    }
}

using BoardPage = SimTest;

TEST_F(BoardPage, CarriesBoardInformationTitlesAndIdsInOrder) {
    for (const auto& board : sim::boards()) {
        SCOPED_TRACE(board.name);
        std::string text = page(forum_url("/thread.php?fid=" + std::to_string(board.fid)));
        EXPECT_EQ(text_between(text, ">|</span>主题：", "\r\n"), std::to_string(board.topics));
        EXPECT_EQ(text_between(text, "藏</a>\r\n\t\t</span>\r\n\r\n今日:", "<img src="),
                  std::to_string(board.today));
        EXPECT_EQ(text_between(text, ">|</span>排名：", "<img src="), std::to_string(board.rank));

        auto titles = all_groups(text, "class=\"subject_t\">", "</a>");
        auto ids = all_groups(text, "id=\"a_ajax_", "\" class=\"");
        auto threads = sim::threads_of(board);
        ASSERT_GE(threads.size(), 3u);
        // A moved thread's title comes last, without a post ID.
        if (!board.notice_title.empty()) {
            ASSERT_FALSE(titles.empty());
            EXPECT_EQ(titles.back(), board.notice_title);
            titles.pop_back();
        }
        ASSERT_EQ(titles.size(), threads.size());
        ASSERT_EQ(ids.size(), threads.size());
        for (size_t i = 0; i < threads.size(); ++i) {
            EXPECT_EQ(titles[i], threads[i].raw_title);
            EXPECT_EQ(ids[i], std::to_string(threads[i].tid));
            // The catalogue's cleaned titles are what the client shows.
            EXPECT_EQ(clean_thread_title(titles[i]), threads[i].cleaned);
        }
    }
}

TEST_F(BoardPage, TitlesUseEveryMarkupTheCleanupKnowsAndOneItDoesNot) {
    std::string titles;
    for (const auto& thread : sim::threads_of(sim::boards()[0])) {
        titles += thread.raw_title;
    }
    for (const char* markup :
         {"#FF0000", "#FFA500", "#29E7B5", "#0000FF", "#008000",
          "#4B0082", "#FF1493", "#00FFFF", "#00B3FF", "#000000",
          "#6B8E23", "<b>",     "<i>",     "<u>",     "&nbsp;",
          "&#160;",  "&#9760;", "&lt;",    "&gt;",    "<font color=#123456>"}) {
        EXPECT_TRUE(contains(titles, markup)) << markup;
    }
}

TEST_F(BoardPage, UnknownBoardHasNoThreads) {
    HttpRequest request;
    request.url = forum_url("/thread.php?fid=99");
    HttpResponse response = http_request(request);
    EXPECT_EQ(response.status, 404);
    EXPECT_FALSE(contains(text_of(response), "subject_t"));
}

const std::string kBodyStart = "<div class=\"f14 mb10\" id=\"read_tpc\">";

using PostPage = SimTest;

TEST_F(PostPage, BodyKeywordsPopupAndPicturesFollowThePostShape) {
    const std::string right_marker = "</div>\r\n\r\n\t\t</div>\r\n<!--content_read-->\r\n" +
                                     std::string(16, ' ') + "</td>\r\n" + std::string(12, ' ') +
                                     "</tr>\r\n" + std::string(12, ' ') + "<tr>";
    ASSERT_EQ(utf8_to_gbk(right_marker).size(), 99u);
    for (int tid : {11001, 11002, 11003, 11004, 42013, sim::kChinesePicturePost}) {
        SCOPED_TRACE(tid);
        sim::Thread thread;
        ASSERT_TRUE(sim::find_thread(tid, thread));
        sim::PostShape shape = sim::post_shape(tid);
        std::string text = page(forum_url("/r" + std::to_string(tid) + "/"));
        std::string body = text_between(text, kBodyStart, right_marker);
        ASSERT_FALSE(body.empty());
        for (const char* markup :
             {"<p>", "<br />", "&nbsp;", "<span style=", "<font size=", "<div align=center>"}) {
            EXPECT_TRUE(contains(body, markup)) << markup;
        }

        auto keywords =
            split(text_between(text, "<meta name=\"keywords\" content=\"", "\" />"), ",");
        ASSERT_EQ(keywords.size(), 3u);
        EXPECT_EQ(keywords[0], thread.plain);
        EXPECT_EQ(keywords[1], sim::find_board(thread.fid)->name);
        EXPECT_EQ(keywords[2], sim::kKeywordsTail);

        std::string popup = text_between(text, "window.open('", "');");
        EXPECT_EQ(popup, shape.popup.empty() ? "" : forum_url("/" + shape.popup));

        std::vector<std::vector<std::string>> lines;
        for (const auto& line : split(body, "\r\n")) {
            auto addresses = all_groups(line, "<img src=\"", "\"");
            if (!addresses.empty()) {
                lines.push_back(addresses);
            }
        }
        ASSERT_EQ(lines.size(), shape.picture_lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            ASSERT_EQ(lines[i].size(), shape.picture_lines[i].size());
            for (size_t j = 0; j < lines[i].size(); ++j) {
                const std::string& name = shape.picture_lines[i][j];
                EXPECT_EQ(lines[i][j],
                          forum_url(contains(name, "/") ? "/" + name : "/images/" + name));
            }
        }
    }
}

TEST_F(PostPage, ShapesCoverPopupsAndTwoPictureLinesBothWays) {
    EXPECT_EQ(sim::post_shape(11001).popup, "images/popup_11001.jpg");
    EXPECT_EQ(sim::post_shape(11002).popup, "");
    EXPECT_EQ(sim::post_shape(11001).picture_lines[0].size(), 2u);
    EXPECT_TRUE(sim::post_shape(11004).picture_lines.empty());
}

TEST_F(PostPage, UnknownPostIsNotFound) {
    for (const char* path : {"/r11099/", "/r99001/", "/r11001", "/rabc/"}) {
        HttpRequest request;
        request.url = forum_url(path);
        EXPECT_EQ(http_request(request).status, 404) << path;
    }
}

using Pictures = SimTest;

TEST_F(Pictures, EachFormatIsServedWithItsTypeAndSignature) {
    struct Case {
        const char* name;
        const char* type;
        std::string magic;
    };
    const Case cases[] = {
        {"p11001_1.png", "image/png", "\x89PNG\r\n\x1a\n"},
        {"p11001_2.jpg", "image/jpeg", "\xFF\xD8\xFF\xE0"},
        {"p11001_3.gif", "image/gif", "GIF89a"},
        {"popup_11003.jpg", "image/jpeg", "\xFF\xD8\xFF\xE0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HttpRequest request;
        request.url = forum_url(std::string("/images/") + c.name);
        HttpResponse response = http_request(request);
        ASSERT_EQ(response.status, 200);
        EXPECT_TRUE(contains(response.response_headers, std::string("Content-Type: ") + c.type));
        EXPECT_EQ(response.body.substr(0, c.magic.size()), c.magic);
    }
    std::string jpeg = fetch_url_bytes(forum_url("/images/p11001_2.jpg"));
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");
    std::string gif = fetch_url_bytes(forum_url("/images/p11001_3.gif"));
    EXPECT_EQ(gif.back(), '\x3B');
    EXPECT_EQ(gif.substr(6, 4), std::string("\xF0\x00\xA0\x00", 4));  // 240 x 160
}

using Charsets = SimTest;

// A forum that has moved to UTF-8 sends the same pages, each saying so in its header and in its
// own meta tag or XML declaration; a GBK forum writes what GBK cannot hold in GB18030.
TEST_F(Charsets, Utf8PagesHoldTheSameTextAndSaySo) {
    sign_in_demo();
    const sim::Board& question = sim::boards().back();
    const sim::Thread beyond_gbk = sim::threads_of(question).back();
    const std::string board = forum_url("/thread.php?fid=" + std::to_string(question.fid));
    ASSERT_TRUE(contains(fetch_url_bytes(board), "\x95\x32\x82\x36"));  // 𠀀 in GB18030
    const std::string addresses[] = {
        forum_url("/"),
        board,
        forum_url("/r" + std::to_string(beyond_gbk.tid) + "/"),
        forum_url("/no-such-page"),
        account_url("/index.php"),
        forum_url("/jobcenter.php?action=punch&ajax=1")};  // answered by the punch's XML
    auto fetch = [](const std::string& address) {
        HttpRequest request;
        request.url = address;
        request.method = contains(address, "punch") ? HttpMethod::post : HttpMethod::get;
        request.post_text = "step=2";
        return http_request(request);
    };
    std::vector<std::string> gbk_texts;
    for (const std::string& address : addresses) {
        HttpResponse answer = fetch(address);
        EXPECT_EQ(answer.content_type, "text/html; charset=gbk") << address;
        gbk_texts.push_back(text_of(answer));
    }
    EXPECT_TRUE(contains(gbk_texts[1], beyond_gbk.cleaned));
    EXPECT_TRUE(contains(gbk_texts[2], "content=\"" + beyond_gbk.keywords));

    sim.set_charset(sim::Charset::utf8);
    for (size_t i = 0; i < std::size(addresses); ++i) {
        SCOPED_TRACE(addresses[i]);
        HttpResponse answer = fetch(addresses[i]);
        EXPECT_EQ(answer.content_type, "text/html; charset=utf-8");
        EXPECT_EQ(page_charset(answer.body, ""), PageCharset::utf8) << "the page says so itself";
        EXPECT_EQ(answer.body,
                  replace_all(replace_all(gbk_texts[i], "charset=gbk", "charset=utf-8"),
                              "encoding=\"gbk\"", "encoding=\"utf-8\""));
    }
}

}  // namespace
}  // namespace tamsor::sim_test
