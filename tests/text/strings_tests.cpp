#include "text/strings.h"
#include "text/wipe.h"

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

// On long texts find_text looks for a part's least common byte; it must still answer exactly as
// the library's find does, at every start.
TEST(FindText, AnswersAsTheLibraryFindDoesOnLongMarkup) {
    std::string page;
    while (page.size() < 2000) {
        page += "<div class=\"f12\">中文 &nbsp;<br /><font color=#FF0000>x</font>center:30px;";
    }
    page += "END:";
    const std::string_view parts[] = {"<br />",
                                      "#FF0000>",
                                      ":30px;",
                                      "END:",
                                      "END:!",
                                      "center:3",
                                      "<font color=#FF0001>",
                                      "中文",
                                      "\"f",
                                      "x",
                                      "",
                                      std::string_view(page).substr(page.size() - 300)};
    for (std::string_view part : parts) {
        for (size_t start : {size_t(0), size_t(1), size_t(17), page.size() - 300, page.size() - 4,
                             page.size(), page.size() + 1}) {
            EXPECT_EQ(find_text(page, part, start), std::string_view(page).find(part, start))
                << part << " from " << start;
        }
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

// A wiped secret leaves zeros in every byte of its buffer, spare capacity included, whether the
// string holds it within itself or on the heap; the buffer stays the string's, now empty.
TEST(Wipe, ZeroesTheWholeBufferItKeeps) {
    std::string on_heap(100, 'p');
    on_heap.resize(60);  // the spare capacity still holds secret bytes
    std::string within = "pw";
    for (std::string* secret : {&on_heap, &within}) {
        const char* buffer = secret->data();
        const size_t capacity = secret->capacity();
        wipe(*secret);
        EXPECT_TRUE(secret->empty());
        EXPECT_EQ(secret->data(), buffer);
        EXPECT_EQ(std::string_view(buffer, capacity), std::string(capacity, '\0'));
    }
}

}  // namespace
}  // namespace tamsor
