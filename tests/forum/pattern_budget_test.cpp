// The operations' patterns over megabyte bodies made to make them backtrack, on both paths of
// the matcher: every execute ends within its bound, and an ordinary match before the hostile
// part is still found. The bound is on the thread's CPU time and well above what the matcher
// takes (some 35 ms for the worst body on the interpreter path, 6 ms with JIT), so load and
// sanitizers do not make it flake; without a budget for the whole execute, the JIT path took
// 1.5 s for every line of the first body below, and the interpreter 200 ms a body.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "forum/page_patterns.h"
#include "regex/match_engine.h"
#include "regex/regex_object.h"

namespace tamsor {
namespace {

constexpr double kBoundMs = 250;
constexpr size_t kBodySize = 1 << 20;

struct PatternCase {
    std::string_view name;
    std::string_view pattern;
    std::string ordinary;             // a line the pattern matches, put before the hostile body
    std::string group;                // group 1 of that match
    std::vector<std::string> lines;   // each repeated over one whole line
    std::vector<std::string> pieces;  // what the random bodies are made of
};

const std::vector<PatternCase>& pattern_cases() {
    static const std::vector<PatternCase> cases = {
        {"image",
         image_pattern,
         "<img src=\"http://a/1.jpg\">",
         "http://a/1.jpg",
         {"<img", "<img src=\"x ", "<img src ", "<img src='"},
         {"<img", "<img>", " ", "src", "src=\"a", "=", "\"", "'", "a", "图", ">"}},
        {"board names",
         board_name_pattern,
         "<h2 class=\"forumT mr10\">板块</h2>",
         "板块",
         {"<h2 class=\"forumT mr10\">"},
         {"<h2 class=\"forumT mr10\">", "</h2", "<", "x", "板"}},
        {"board links",
         board_link_pattern,
         "<a href=\"f1/\" class=\"tittoo\"",
         "f1/",
         {"<a href=\""},
         {"<a href=\"", "\" class=\"tittoo", "\"", " ", "x"}},
        {"thread titles",
         thread_title_pattern,
         "class=\"subject_t\">标题</a>",
         "标题",
         {"class=\"subject_t\">"},
         {"class=\"subject_t\">", "</a", "<", "x", "标"}},
        {"thread ids",
         thread_id_pattern,
         "id=\"a_ajax_4711\" class=\"",
         "4711",
         {"id=\"a_ajax_"},
         {"id=\"a_ajax_", "\" class=", "\"", "x"}},
    };
    return cases;
}

std::string repeated(const std::string& unit, size_t size, const std::string& line_end = "") {
    std::string body;
    while (body.size() < size) {
        body += unit + line_end;
    }
    return body;
}

// The bodies for one pattern: lines of "<img>" and 'src="a' a thousand times (the post body
// that took the JIT path 1.5 s a line), one line of each of the pattern's line units, and lines
// of random length made of random pieces.
std::vector<std::string> hostile_bodies(const PatternCase& c, std::mt19937& random) {
    std::vector<std::string> bodies = {
        repeated("<img>" + repeated("src=\"a", 6000), kBodySize, "\r\n")};
    for (const std::string& unit : c.lines) {
        bodies.push_back(repeated(unit, kBodySize));
    }
    const size_t line_lengths[] = {64, 1000, 6000, 100'000, kBodySize};
    for (int n = 0; n < 3; ++n) {
        std::string body;
        while (body.size() < kBodySize) {
            size_t line_end = body.size() + line_lengths[random() % std::size(line_lengths)];
            while (body.size() < line_end) {
                body += c.pieces[random() % c.pieces.size()];
            }
            body += "\r\n";
        }
        bodies.push_back(std::move(body));
    }
    return bodies;
}

double thread_cpu_ms() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

TEST(PatternBudget, HostileBodiesTakeBoundedTimeOnBothPaths) {
    std::mt19937 random(20261208);
    double slowest[2] = {0, 0};
    for (const PatternCase& c : pattern_cases()) {
        for (const std::string& hostile : hostile_bodies(c, random)) {
            const std::string body = c.ordinary + "\r\n" + hostile;
            for (bool jit : {true, false}) {
                set_regex_jit_enabled(jit);
                RegexObject regex;
                const double started = thread_cpu_ms();
                ASSERT_TRUE(regex.execute(c.pattern, body, true, true, true));
                const double took = thread_cpu_ms() - started;
                slowest[jit ? 1 : 0] = std::max(slowest[jit ? 1 : 0], took);
                EXPECT_LT(took, kBoundMs) << c.name << (jit ? " JIT" : " interpreter") << " over "
                                          << hostile.substr(0, 60);
                ASSERT_GE(regex.match_count(), 1) << c.name;
                EXPECT_EQ(regex.submatch_text(1, 1), c.group) << c.name;
            }
        }
    }
    set_regex_jit_enabled(true);
    std::cout << "[ slowest  ] JIT " << slowest[1] << " ms, interpreter " << slowest[0]
              << " ms CPU per megabyte\n";
}

// A page may write all its rows on one line. The list patterns must find every row there on
// both paths: a budget that charged each row the rest of the line ran out after a few rows.
TEST(PatternBudget, RowsSharingOneLineAreAllFoundOnBothPaths) {
    constexpr int kRows = 2000;
    for (const PatternCase& c : pattern_cases()) {
        if (c.pattern == image_pattern) {
            continue;  // greedy to the line's last picture: one match a line
        }
        const std::string row = c.ordinary + " <td>2026-12-08 12:34 回复 12 浏览 345</td> ";
        const std::string line = repeated(row, kRows * row.size());
        for (bool jit : {true, false}) {
            set_regex_jit_enabled(jit);
            RegexObject regex;
            const double started = thread_cpu_ms();
            ASSERT_TRUE(regex.execute(c.pattern, line, true, true, true));
            EXPECT_LT(thread_cpu_ms() - started, kBoundMs) << c.name;
            EXPECT_EQ(regex.match_count(), kRows) << c.name << (jit ? " JIT" : " interpreter");
            EXPECT_EQ(regex.submatch_text(kRows, 1), c.group) << c.name;
        }
    }
    set_regex_jit_enabled(true);
}

// A post may write its whole body on one line. The picture pattern's match there passes the line
// three times (to its end, back to the last "src", to its end again), and a start may spend only
// half the budget: the picture before a long line of text is still found, on both paths.
TEST(PatternBudget, APictureBeforeALongLineOfTextIsFoundOnBothPaths) {
    const PatternCase& c = pattern_cases().front();
    ASSERT_EQ(c.pattern, image_pattern);
    std::string line = c.ordinary;
    while (line.size() < 300'000) {
        line += "文字<br />";
    }
    for (bool jit : {true, false}) {
        set_regex_jit_enabled(jit);
        RegexObject regex;
        ASSERT_TRUE(regex.execute(c.pattern, line, true, true, true));
        EXPECT_EQ(regex.match_count(), 1) << (jit ? "JIT" : "interpreter");
        EXPECT_EQ(regex.submatch_text(1, 1), c.group);
    }
    set_regex_jit_enabled(true);
}

}  // namespace
}  // namespace tamsor
