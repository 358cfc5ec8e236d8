// Each operation over a page made for the rule under test.
#include <gtest/gtest.h>

#include <condition_variable>
#include <stdexcept>

#include "page_server.h"
#include "recording_views.h"

namespace tamsor {
namespace {

using testing::PageServer;
using Lines = std::vector<std::string>;

TEST(ProfileFetch, StatusBeforeEachStepThenPauseBeforeRest) {
    PageServer server;
    server.set_page("/",
                    "<script>var verifyhash = 'ab12';var punchverify = 'cd34';</script>"
                    "<ul><li>ＤＢ: 1,234刀</li><li>QuendaID：<span class=\"red\">42</span></li>"
                    "<li>等级: 七级</li></ul>");
    SharedState state;
    testing::RecordingProfileView view(state);
    fetch_profile(server.hosts(), view);

    EXPECT_EQ(view.log.lines(),
              (Lines{"status:状态：10％",      "store:home_page_text",   "status:状态：20％",
                     "store:verify_hash=ab12", "status:状态：30％",      "store:punch_verify=cd34",
                     "status:状态：40％",      "store:db_balance=1,234", "status:状态：50％",
                     "store:account_id=42",    "status:状态：60％",      "store:account_level=七级",
                     "status:状态：70％",      "label:DB=1,234",         "status:状态：80％",
                     "label:QuendaID=42",      "status:状态：90％",      "label:等级=七级",
                     "status:状态：100％",     "status:状态：暂无操作"}));
    EXPECT_TRUE(state.home_page_text.starts_with("<script>var verifyhash"));
    ASSERT_EQ(view.status_times.size(), 11u);
    EXPECT_GE(view.status_times[10].second - view.status_times[9].second,
              std::chrono::milliseconds(195));
}

TEST(ProfileFetch, EachValueIsCutOnItsOwnAfterItsStartMarker) {
    struct Row {
        std::string page;
        std::string db_balance;
        std::string account_id;
    };
    const Row rows[] = {
        {"刀</li><li>ＤＢ: 5<li>QuendaID：<span class=\"red\">7</span></li>", "", "7"},
        {"<li>DB: 9刀</li><li>ＤＢ: 8刀</li>刀</li>", "8", ""},
        {"<li>DB: 9刀</li>", "", ""},
    };
    for (const Row& row : rows) {
        PageServer server;
        server.set_page("/", row.page);
        SharedState state;
        state.verify_hash = "old";
        testing::RecordingProfileView view(state);
        fetch_profile(server.hosts(), view);
        EXPECT_EQ(state.db_balance, row.db_balance) << row.page;
        EXPECT_EQ(state.account_id, row.account_id) << row.page;
        EXPECT_EQ(state.verify_hash, "") << "every run overwrites every value";
    }
}

const char kStartPage[] =
    "<h2 class=\"forumT mr10\"><font color=red>更多网络游戏</font></h2>\r\n"
    "<h2 class=\"forumT mr10\"><font color=blue>综合讨论</font></h2>\r\n"
    "<h2 class=\"forumT mr10\">灌水乐园</h2>\r\n"
    "<h2 class=\"forumT mr10\">更多<font color=blue>手机</font>游戏</h2>\r\n"
    "<h2 class=\"forumT mr10\">图片分享</h2>\r\n"
    "<a href=\"thread-htm-fid-2.html\" class=\"tittoo\">综合讨论</a>\r\n"
    "<a href=\"thread-htm-fid-3.html\" class=\"tittoo\">灌水乐园</a>\r\n";

TEST(BoardDirectory, NamesWithoutCategoriesLinksFromASecondFetch) {
    PageServer server;
    server.set_page("/", kStartPage);
    testing::RecordingDirectoryView view;
    load_board_directory(server.hosts(), view);

    EXPECT_EQ(view.log.lines(),
              (Lines{"clear", "name:综合讨论", "name:灌水乐园", "name:图片分享",
                     "link:thread-htm-fid-2.html", "link:thread-htm-fid-3.html"}));
    EXPECT_EQ(view.caption(), "状态：30％");
    EXPECT_EQ(server.requests(), (Lines{"/", "/"}));
}

TEST(BoardDirectory, MissingPageClearsListsAndKeepsCaption) {
    PageServer server;
    testing::RecordingDirectoryView view;
    load_board_directory(server.hosts(), view);
    EXPECT_EQ(view.log.lines(), Lines{"clear"});
    EXPECT_EQ(view.caption(), "状态：暂无获取");
}

// Holds the first load inside clear_lists until the test lets it go.
class BlockingDirectoryView : public testing::RecordingDirectoryView {
public:
    void clear_lists() override {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
        RecordingDirectoryView::clear_lists();
    }
    void wait_until_entered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
};

class ThrowingDirectoryView : public testing::RecordingDirectoryView {
public:
    void clear_lists() override { throw std::runtime_error("window gone"); }
};

TEST(BoardDirectory, SecondWorkerWhileOneRunsDoesNothing) {
    PageServer server;
    server.set_page("/", kStartPage);
    auto first = std::make_shared<BlockingDirectoryView>();
    std::thread running(board_directory_worker, server.hosts(), first);
    first->wait_until_entered();

    auto second = std::make_shared<testing::RecordingDirectoryView>();
    board_directory_worker(server.hosts(), second);
    EXPECT_TRUE(second->log.lines().empty());

    first->release();
    running.join();
    EXPECT_EQ(first->log.lines().size(), 6u);

    // The guard is let go after a run, also after one that failed half-way.
    board_directory_worker(server.hosts(), std::make_shared<ThrowingDirectoryView>());
    auto third = std::make_shared<testing::RecordingDirectoryView>();
    board_directory_worker(server.hosts(), third);
    EXPECT_EQ(third->log.lines().size(), 6u);
}

TEST(ThreadList, TwoThreadsOnAFreshWindow) {
    PageServer server;
    server.set_page(
        "/thread-htm-fid-2.html",
        "<span class=\"gray\">>|</span>主题：128\r\n<a>收藏</a>\r\n\t\t</span>\r\n\r\n今日:5"
        "<img src=\"n.gif\"><span>>|</span>排名：3<img src=\"r.gif\">\r\n"
        "<a href=\"read-htm-tid-4711.html\" id=\"a_ajax_4711\" class=\"subject_t\">"
        "<font color=#FF0000><b>置顶</b></font></a>\r\n"
        "<a href=\"read-htm-tid-4712.html\" id=\"a_ajax_4712\" class=\"subject_t\">"
        "&lt;b&gt;普通&nbsp;帖</a>\r\n");
    testing::RecordingThreadListView view;
    view.address = server.url("/thread-htm-fid-2.html");
    load_thread_list(server.hosts(), view);

    EXPECT_EQ(view.log.lines(),
              (Lines{"clear", "disable", "info:主题：128\r\n今天发帖：5\r\n排名：3", "title:置顶",
                     "status:状态：10％", "title:<b>普通 帖", "status:状态：20％", "id:r4711",
                     "status:状态：30％", "id:r4712", "status:状态：40％", "enable"}));
}

TEST(ThreadList, FailedLoadStillEnablesTheButton) {
    PageServer server;
    testing::RecordingThreadListView view;
    view.address = server.url("/missing.html");
    view.caption = "状态：30％";
    load_thread_list(server.hosts(), view);
    EXPECT_EQ(view.log.lines(),
              (Lines{"clear", "disable", "info:主题：\r\n今天发帖：\r\n排名：", "enable"}));
    EXPECT_EQ(view.caption, "状态：30％");
    EXPECT_TRUE(view.fetch_enabled);
}

std::string post_page(const std::string& keywords, const std::string& body,
                      const std::string& extra) {
    return "<meta name=\"keywords\" content=\"" + keywords + "\" />\r\n" +
           "<div class=\"f14 mb10\" id=\"read_tpc\">" + body +
           "</div>\r\n\r\n\t\t</div>\r\n<!--content_read-->\r\n                </td>\r\n"
           "            </tr>\r\n            <tr>\r\n" +
           extra;
}

class PostReader : public ::testing::Test {
protected:
    void read(const std::string& id, const std::string& path) {
        view.log.clear();
        view.id = id;
        view.address = server.url(path);
        read_post(server.hosts(), state, view);
    }
    std::string img(const std::string& name) {
        return "<img src=\"" + server.url("/" + name) + "\" border=\"0\">";
    }

    PageServer server;
    SharedState state;
    testing::RecordingPostView view{state};
};

TEST_F(PostReader, BodyTitleBoardAndBothPictures) {
    server.set_bytes("/pop.png", "POPUP");
    server.set_bytes("/a.png", "AAA");
    server.set_bytes("/b.png", "BB");
    server.set_page(
        "/r1/", post_page("标题,板块,第三",
                          "<p>第一段<br />第二段</p>\r\n" + img("a.png") + " 中间 " + img("b.png") +
                              "\r\n尾巴",
                          "<a onclick=\"window.open('" + server.url("/pop.png") + "');\">"));
    read("r1", "/r1/");

    // The greedy pattern runs to the last "src" of the line and takes its whole line with it.
    EXPECT_EQ(view.log.lines(),
              (Lines{"popup:5 bytes", "picture:2 bytes", "body:第一段第二段\r\n\r\n尾巴",
                     "title:标题", "board:板块,第三"}));
    EXPECT_EQ(state.viewer_image_url, server.url("/b.png"));
    EXPECT_EQ(state.popup_image_url, server.url("/pop.png"));
    EXPECT_EQ(state.post_title, "标题");
    EXPECT_EQ(state.post_board, "板块,第三");
    EXPECT_EQ(server.requests(), (Lines{"/r1/", "/pop.png", "/b.png"}));

    // Nothing left to match: the double-click keeps the picture the read found.
    choose_body_picture(state);
    EXPECT_EQ(state.viewer_image_url, server.url("/b.png"));
}

TEST_F(PostReader, PostWithoutPicturesKeepsThePopupAndAsksForNoPicture) {
    state.popup_image_url = "http://elsewhere/pop.png";
    state.viewer_image_url = "http://elsewhere/old.png";
    server.set_page("/r2/", post_page("只有标题", "<p>文字</p>", ""));
    read("r2", "/r2/");

    EXPECT_EQ(view.log.lines(),
              (Lines{"picture:0 bytes", "body:文字", "title:只有标题", "board:"}));
    EXPECT_EQ(state.viewer_image_url, "");
    EXPECT_EQ(state.popup_image_url, "http://elsewhere/pop.png");
    EXPECT_EQ(server.requests(), Lines{"/r2/"});
}

TEST_F(PostReader, DoubleClickFindsAPictureThatSurvivedTheRead) {
    server.set_bytes("/x1.png", "1");
    // The cleanup takes '">' apart, so only a tag quoted with apostrophes is still a tag after it.
    const std::string second = "<img src='" + server.url("/x2.png") + "' />";
    server.set_page("/r3/", post_page("t,b", img("x1.png") + "\r\n" + second, ""));
    read("r3", "/r3/");
    EXPECT_EQ(state.viewer_image_url, server.url("/x1.png"));
    choose_body_picture(state);
    EXPECT_EQ(state.viewer_image_url, server.url("/x2.png"));
}

TEST_F(PostReader, EmptyIdAsksForOneAndFetchesNothing) {
    read("", "/r1/");
    EXPECT_EQ(view.log.lines(), Lines{"message:6"});
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(PostReader, FailedFetchEmptiesTextsButKeepsThePopup) {
    state.popup_image_url = "http://elsewhere/pop.png";
    state.post_title = "旧";
    read("r9", "/r9/");
    EXPECT_EQ(view.log.lines(), (Lines{"picture:0 bytes", "body:", "title:", "board:"}));
    EXPECT_EQ(state.post_title, "");
    EXPECT_EQ(state.popup_image_url, "http://elsewhere/pop.png");
}

}  // namespace
}  // namespace tamsor
