#include "catalogue.h"

namespace tamsor::sim {
namespace {

// One way of dressing a title per thread slot: the markup around it on the board page and
// what the client's title cleanup leaves of it.
struct TitleStyle {
    const char* open;
    const char* close;
    const char* cleaned_open;
    const char* cleaned_close;
};

// clang-format off
constexpr TitleStyle kStyles[] = {
    {"<font color=#FF0000><b>", "</b></font>", "", ""},
    {"<font color=#FFA500>", "</font>", "", ""},
    {"<font color=#29E7B5><i>", "</i></font>", "", ""},
    {"<font color=#0000FF><u>", "</u></font>", "", ""},
    {"<font color=#008000>", "</font>", "", ""},
    {"<font color=#4B0082><b><i>", "</i></b></font>", "", ""},
    {"<font color=#FF1493>", "</font>", "", ""},
    {"<font color=#00FFFF>", "</font>", "", ""},
    {"<font color=#00B3FF>", "</font>", "", ""},
    {"<font color=#000000>", "</font>", "", ""},
    {"<font color=#6B8E23><u><b>", "</b></u></font>", "", ""},
    {"&#9760;", "&nbsp;&#160;已解决", " ", "  已解决"},
    {"&lt;b&gt;", "&lt;/b&gt;", "<b>", "</b>"},
    {"<font color=#123456>", "</font>", "<font color=#123456>", ""},
};

constexpr const char* kSubjects[] = {
    "本版规则更新", "新人报到帖", "求助：登录总是失败", "每日打卡经验分享", "截图大赛开始啦",
    "版主招募中", "攻略合集整理", "老玩家回归指南", "活动奖励已发放", "闲聊灌水专用",
    "配置推荐讨论", "问题已解决，感谢", "代码测试帖", "周末聚会报名",
};
// clang-format on

// Subjects people typed on the question board, and how the forum writes each: escaped on the
// board page, as typed in the post's keywords (one post's keywords have no board name).
struct WrittenThread {
    const char* raw_title;
    const char* cleaned;
    const char* keyword_title;
    bool board_in_keywords;
};

constexpr int kQuestionBoard = 43;
constexpr WrittenThread kQuestionThreads[] = {
    {"&lt;a&gt;和&lt;b&gt;的区别", "<a>和<b>的区别", "<a>和<b>的区别", true},
    {"<font color=#FF0000><b>粗体</b></font>&lt;新手&gt;", "粗体<新手>", "<b>粗体</b>&lt;新手&gt;",
     true},
    {"只有标题的帖子", "只有标题的帖子", "只有标题的帖子", false},
    // Beyond GBK: a character of the supplementary planes, and the euro sign, whose code GBK and
    // GB18030 write differently.
    {"生僻字𠀀和欧元符号€怎么打", "生僻字𠀀和欧元符号€怎么打", "生僻字𠀀和欧元符号€怎么打", true},
};

// The tens of a board's fid count its category from 1.
Board board(int fid, const char* name, const char* heading, const char* tag, int index,
            const char* notice_title = "") {
    return Board{fid,
                 name,
                 heading,
                 tag,
                 1200 + fid * 37,
                 (fid * 7) % 50,
                 index + 1,
                 static_cast<size_t>(fid / 10 - 1),
                 notice_title};
}

Thread thread(const Board& b, int slot, std::string raw_title, std::string cleaned,
              std::string plain, bool board_in_keywords) {
    std::string keywords =
        board_in_keywords ? plain + "," + b.name + "," + kKeywordsTail : std::string(plain);
    return Thread{b.fid * 1000 + slot,  b.fid,
                  std::move(raw_title), std::move(cleaned),
                  std::move(plain),     std::move(keywords)};
}

}  // namespace

const std::vector<std::string>& category_captions() {
    static const std::vector<std::string> captions = {"更多网络游戏", "更多手机游戏",
                                                      "更多单机休闲", "更多精彩板块"};
    return captions;
}

const std::vector<Board>& boards() {
    static const std::vector<Board> list = {
        board(11, "网游综合讨论", "<font color=blue>网游综合讨论</font>", "网游", 0),
        board(12, "副本攻略", "<font color=red>副本攻略</font>", "副本", 1),
        board(21, "手游交流", "<font color=blue>手游交流</font>", "手游", 2),
        board(22, "手游礼包", "手游礼包", "礼包", 3),
        board(31, "单机综合", "<font color=blue>单机综合</font>", "单机", 4),
        board(32, "休闲小游戏", "<font color=red>休闲</font><font color=blue>小游戏</font>", "休闲",
              5),
        board(41, "灌水乐园", "<font color=blue>灌水乐园</font>", "灌水", 6),
        board(42, "贴图专区", "<font color=red>贴图专区</font>", "贴图", 7),
        board(kQuestionBoard, "<b>新手</b>问答", "<font color=blue><b>新手</b>问答</font>", "新手",
              8, "【已移动】新手常见问题汇总"),
    };
    return list;
}

const Board* find_board(int fid) {
    for (const auto& b : boards()) {
        if (b.fid == fid) {
            return &b;
        }
    }
    return nullptr;
}

std::vector<Thread> threads_of(const Board& b) {
    std::vector<Thread> threads;
    int slot = 0;
    if (b.fid == kQuestionBoard) {
        for (const auto& written : kQuestionThreads) {
            threads.push_back(thread(b, ++slot, written.raw_title, written.cleaned,
                                     written.keyword_title, written.board_in_keywords));
        }
        return threads;
    }
    for (const auto& style : kStyles) {
        std::string plain = "【" + b.tag + "】" + kSubjects[slot];
        threads.push_back(thread(b, ++slot, style.open + plain + style.close,
                                 style.cleaned_open + plain + style.cleaned_close, plain, true));
    }
    return threads;
}

bool find_thread(int tid, Thread& found) {
    const Board* b = find_board(tid / 1000);
    if (b == nullptr) {
        return false;
    }
    std::vector<Thread> threads = threads_of(*b);
    int slot = tid % 1000;
    if (slot < 1 || slot > static_cast<int>(threads.size())) {
        return false;
    }
    found = threads[static_cast<size_t>(slot - 1)];
    return true;
}

PostShape post_shape(int tid) {
    int n = tid % 1000;
    std::string stem = "p" + std::to_string(tid) + "_";
    if (tid == kChinesePicturePost) {
        return PostShape{kChinesePicture, {{kChinesePicture}}};
    }
    PostShape shape{n % 2 == 1 ? "images/popup_" + std::to_string(tid) + ".jpg" : "", {}};
    switch (n % 4) {
        case 1:
            shape.picture_lines = {{stem + "1.png", stem + "2.jpg"}, {stem + "3.gif"}};
            break;
        case 2:
            shape.picture_lines = {{stem + "1.jpg"}};
            break;
        case 3:
            shape.picture_lines = {{stem + "1.gif"}};
            break;
        default:
            break;
    }
    return shape;
}

}  // namespace tamsor::sim
