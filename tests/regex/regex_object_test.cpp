#include "regex/regex_object.h"

#include "regex/match_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace tamsor {
namespace {

// Every case runs twice: compiled with JIT and, as on a platform without it, interpreted.
class RegexObjectTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { set_regex_jit_enabled(GetParam()); }
    void TearDown() override { set_regex_jit_enabled(true); }
};

INSTANTIATE_TEST_SUITE_P(Engines, RegexObjectTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Jit" : "Interpreter"; });

const std::string kImagePattern = "\\<img.*src *= *['\"]*(\\S+)[\"'].*\\>";

struct PositionCase {
    std::string subject;
    std::string pattern;
    int group;  // 0: the match itself
    std::string text;
    int position;
};

// Positions are offsets into the GB18030 form of the subject, of the match or group itself even
// when the same text occurs earlier.
TEST_P(RegexObjectTest, PositionsAreGb18030OffsetsOfTheMatchItself) {
    const std::vector<PositionCase> cases = {
        {"中文abc", "abc", 0, "abc", 4},
        {"é中x", "x", 0, "x", 4},
        {"€x", "x", 0, "x", 2},                     // two bytes in GB18030
        {"😀x", "x", 0, "x", 4},                     // beyond GBK: a four-byte code
        {"\xFF\xFEx", "x", 0, "x", 2},              // stray bytes: one "?" each, and still a match
        {"\xE4\xB8x", "x", 0, "x", 1},              // a cut-off character: one "?"
        {"\xC0\x80\xED\xA0\x80x", "x", 0, "x", 2},  // overlong, surrogate: one "?" each
        {"中中ab ab", "ab$", 0, "ab", 7},  // an identical text lies between the two offsets
        {"xx-yy-xx", "xx-yy-(xx)", 1, "xx", 6},
        {"中文 中文", "(中文) (中文)", 2, "中文", 5},
        {"a\r\n中b", "(b)", 1, "b", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subject + " / " + c.pattern);
        RegexObject regex;
        ASSERT_TRUE(regex.execute(c.pattern, c.subject, true));
        ASSERT_EQ(regex.match_count(), 1);
        int position = -99;
        std::string text = c.group == 0 ? regex.match_text(1, &position)
                                        : regex.submatch_text(1, c.group, &position);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(position, c.position);
    }
}

TEST_P(RegexObjectTest, PositionsDoNotDependOnTheOrderTheyAreAskedIn) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("(\\d+)", "甲1 乙22 丙333"));
    ASSERT_EQ(regex.match_count(), 3);
    const int expected[] = {2, 6, 11};
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < 3; ++k) {
            int i = pass == 0 ? 3 - k : k + 1;
            int position = -99;
            regex.submatch_text(i, 1, &position);
            EXPECT_EQ(position, expected[i - 1]) << "match " << i << " pass " << pass;
        }
    }
}

struct OptionCase {
    std::string pattern;
    std::string subject;
    bool case_sensitive;
    bool multiline;
    bool global;
    int count;
    std::string first;
};

TEST_P(RegexObjectTest, OptionsAndDialect) {
    const std::vector<OptionCase> cases = {
        {"abc", "ABC", false, true, true, 1, "ABC"},
        {"abc", "ABC", true, true, true, 0, ""},
        {"é", "É", false, true, true, 1, "É"},
        {"^b$", "a\nb\nc", true, true, true, 1, "b"},
        {"^b$", "a\nb\nc", true, false, true, 0, ""},
        {"c$", "c\n", true, false, true, 0, ""},  // without multiline "$" is the very end
        {"a", "aaa", true, true, true, 3, "a"},
        {"a", "aaa", true, true, false, 1, "a"},
        {"<b>(.*?)</b>", "<b>x\ny</b>", true, true, true, 0, ""},
        {"<b>(.*?)</b>", "<b>x</b><b>y</b>", true, true, true, 2, "<b>x</b>"},
        {"a.b", "a\rb", true, true, true, 0, ""},  // CR ends a line as LF does
        {"^b$", "a\r\nb\r\nc", true, true, true, 1, "b"},
        {"\\<b\\>", "a<b>c", true, true, true, 1, "<b>"},
        {"[\\<\\>]+", "a<>c", true, true, true, 1, "<>"},
        {"\\u4e2d", "中", true, true, true, 1, "中"},
        {"(a)?\\1b", "b", true, true, true, 1, "b"},  // an unset group matches the empty text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern + " / " + c.subject);
        RegexObject regex;
        ASSERT_TRUE(regex.execute(c.pattern, c.subject, c.case_sensitive, c.multiline, c.global));
        EXPECT_EQ(regex.match_count(), c.count);
        EXPECT_EQ(regex.match_text(1), c.first);
    }
}

TEST_P(RegexObjectTest, QuotePlaceholders) {
    const std::string pattern = "src=#引号(\\w+)#引号";
    RegexObject regex;
    ASSERT_TRUE(regex.execute(pattern, "src=\"pic\"", true, true, true, true));
    EXPECT_EQ(regex.submatch_text(1, 1), "pic");
    EXPECT_EQ(regex.pattern(), "src=\"(\\w+)\"");

    ASSERT_TRUE(regex.execute(pattern, "src=\"pic\"", true));
    EXPECT_EQ(regex.match_count(), 0);
    ASSERT_TRUE(regex.execute(pattern, "src=#引号pic#引号", true));
    EXPECT_EQ(regex.submatch_text(1, 1), "pic");
    EXPECT_EQ(regex.pattern(), pattern);
}

TEST_P(RegexObjectTest, InvalidPatternDiscardsEarlierResults) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("(b)", "abc"));
    ASSERT_EQ(regex.match_count(), 1);
    EXPECT_FALSE(regex.execute("(b", "abc"));
    EXPECT_EQ(regex.match_count(), 0);
    EXPECT_EQ(regex.submatch_count(), 0);
    EXPECT_EQ(regex.match_text(1), "");
    EXPECT_EQ(regex.submatch_text(1, 1), "");
    EXPECT_EQ(regex.pattern(), "");
    EXPECT_EQ(regex.replace("x"), "");
}

TEST_P(RegexObjectTest, IndicesOutOfRangeAndUnsetGroups) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("(a)|(b)", "b"));
    ASSERT_EQ(regex.match_count(), 1);
    EXPECT_EQ(regex.submatch_count(), 2);
    const int out_of_range[][2] = {{0, 1}, {2, 1}, {-1, 1}, {1, 0}, {1, 3}, {1, -1}, {1, 1}};
    for (const auto& index : out_of_range) {
        int position = -99;
        EXPECT_EQ(regex.submatch_text(index[0], index[1], &position), "");
        EXPECT_EQ(position, -1) << index[0] << "," << index[1];
    }
    int position = -99;
    EXPECT_EQ(regex.submatch_text(1, 2, &position), "b");
    EXPECT_EQ(position, 0);
    EXPECT_EQ(regex.match_text(2, &position), "");
    EXPECT_EQ(position, -1);

    ASSERT_TRUE(regex.execute("(z)", "abc"));
    EXPECT_EQ(regex.submatch_count(), 0);
}

TEST_P(RegexObjectTest, EmptyMatchesStepOverWholeCharacters) {
    struct Case {
        std::string pattern;
        std::string subject;
        std::vector<std::string> texts;
        std::vector<int> positions;
    };
    const std::vector<Case> cases = {
        {"x*", "a中b", {"", "", "", ""}, {0, 1, 3, 4}},
        {"a*", "baa", {"", "aa", ""}, {0, 1, 3}},
        {"a*?", "aa", {"", "", ""}, {0, 1, 2}},  // never a second match where one ended empty
        {"", "", {""}, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern + " / " + c.subject);
        RegexObject regex;
        ASSERT_TRUE(regex.execute(c.pattern, c.subject));
        ASSERT_EQ(regex.match_count(), static_cast<int>(c.texts.size()));
        for (int i = 1; i <= regex.match_count(); ++i) {
            int position = -99;
            EXPECT_EQ(regex.match_text(i, &position), c.texts[i - 1]);
            EXPECT_EQ(position, c.positions[i - 1]);
        }
    }
}

TEST_P(RegexObjectTest, Replace) {
    struct Case {
        std::string pattern;
        bool global;
        std::string replacement;
        std::string expected;
        std::string subject = "甲 me@host, you@there";
    };
    const std::vector<Case> cases = {
        {"(\\w+)@(\\w+)", true, "$2 at $1", "甲 host at me, there at you"},
        {"(\\w+)@(\\w+)", false, "$2 at $1", "甲 host at me, you@there"},
        {"(\\w+)@(\\w+)", true, "[$&]", "甲 [me@host], [you@there]"},
        {"(\\w+)@(\\w+)", true, "$3$0$$1$", "甲 $3$0$1$, $3$0$1$"},
        {"(\\w+)@(\\w+)", true, "$12", "甲 me2, you2"},
        {"(\\w+)@(x)?", true, "<$2>", "甲 <>host, <>there"},
        {"nowhere", true, "x", "甲 me@host, you@there"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", true, "$10$11", "-ja1-", "-abcdefghij-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern + " -> " + c.replacement);
        RegexObject regex;
        ASSERT_TRUE(regex.execute(c.pattern, c.subject, true, true, c.global));
        EXPECT_EQ(regex.replace(c.replacement), c.expected);
    }
}

TEST_P(RegexObjectTest, ImagePatternTakesTheLastPictureOfALine) {
    const std::string line =
        "<img src=\"http://a/1.jpg\" border=0>图<br><img src='http://a/2.jpg'>";
    RegexObject regex;
    ASSERT_TRUE(regex.execute(kImagePattern, "<p>中文</p>\n" + line + "\n<p>end</p>", true));
    ASSERT_EQ(regex.match_count(), 1);
    int position = -99;
    EXPECT_EQ(regex.match_text(1, &position), line);
    EXPECT_EQ(position, 12);
    EXPECT_EQ(regex.submatch_text(1, 1), "http://a/2.jpg");
}

// Each empty match is followed by a search from the same place; that must not cost a pass over
// the rest of the subject.
TEST_P(RegexObjectTest, ManyEmptyMatchesTakeLinearTime) {
    std::string subject;
    while (subject.size() < 900'000) {
        subject += "中";
    }
    RegexObject regex;
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(regex.execute("x*", subject));
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(regex.match_count(), 300'001);
    EXPECT_LT(took.count(), 1000.0);
}

// Objects on different threads must share nothing that one thread could spoil for another; the
// pattern backtracks deep enough to need more than the machine stack (JIT keeps a stack of its
// own).
TEST_P(RegexObjectTest, ObjectsOnDifferentThreadsDoNotInterfere) {
    const bool jit = GetParam();
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong, jit, t] {
            set_regex_jit_enabled(jit);
            std::string subject = "中";
            for (int k = 0; k < 3000 + 1000 * t; ++k) {
                subject += k % 2 == 0 ? "ab" : "ba";
            }
            subject += "z";
            for (int round = 0; round < (jit ? 400 : 50); ++round) {
                RegexObject regex;
                int position = -1;
                bool right = regex.execute("(?:(a)|b)*z", subject, true) &&
                             regex.match_count() == 1 &&
                             regex.match_text(1, &position).size() == subject.size() - 3 &&
                             position == 2 && regex.submatch_text(1, 1, &position) == "a" &&
                             position == static_cast<int>(subject.size()) - 3;
                wrong += right ? 0 : 1;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace tamsor
