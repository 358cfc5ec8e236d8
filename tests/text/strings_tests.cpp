#include "text/strings.h"

#include <gtest/gtest.h>

namespace tamsor {
namespace {

// Both forms, the copying one and the one done in place, give the same text.
TEST(ReplaceAll, OnePassWithoutRescanningItsOutput) {
    struct Case {
        std::string text, from, to, expected;
    };
    const Case cases[] = {
        {"xxy", "xy", "y", "xy"},  // a rescan would make "y"
        {"aaa", "a", "aa", "aaaaaa"},
        {"aaaa", "aa", "b", "bb"},  // non-overlapping, left to right
        {"abc", "", "z", "abc"},
        {"<br><br>", "<br>", "\n", "\n\n"},
        {"中文中", "中", "", "文"},
        {"Abc", "a", "x", "Abc"},  // letter case matters
        {"a<b>b<b><b>c<b>", "<b>", "", "abc"},
        {"<b>", "<b>", "", ""},
        {"x&lt;y&lt;", "&lt;", "<", "x<y<"},
        {"abab", "ab", "ab", "abab"},
        {"<b<i<b>", "<b>", "", "<b<i"},
        {"<bb<b", "<b>", "", "<bb<b"},  // near misses
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replace_all(c.text, c.from, c.to), c.expected) << c.text;
        std::string in_place = c.text;
        replace_all_in_place(in_place, c.from, c.to);
        EXPECT_EQ(in_place, c.expected) << c.text;
    }
}

TEST(Split, KeepsEmptyPiecesButNotAnEmptyText) {
    EXPECT_TRUE(split("", ";").empty());
    EXPECT_EQ(split("a;;b;", ";"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(split("a\r\nb", "\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(split("ab", ""), (std::vector<std::string>{"ab"}));
}

TEST(SmallHelpers, TrimLowerContains) {
    EXPECT_EQ(trim_spaces("  a b  "), "a b");
    EXPECT_EQ(trim_spaces("   "), "");
    EXPECT_EQ(trim_spaces("\ta "), "\ta");  // spaces only
    EXPECT_EQ(to_lower_ascii("HTTP://Ä中"), "http://Ä中");
    EXPECT_TRUE(contains("abc", "bc"));
    EXPECT_FALSE(contains("abc", "C"));
}

}  // namespace
}  // namespace tamsor
