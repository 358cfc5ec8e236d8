#include "text/gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace tamsor {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

TEST(Gbk, ChineseTextRoundTrips) {
    const std::pair<std::string, std::string> cases[] = {
        {"中文", "\xD6\xD0\xCE\xC4"},
        {"状态：10％",
         "\xD7\xB4\xCC\xAC\xA3\xBA"
         "10\xA3\xA5"},
        {"abc 123", "abc 123"},
        {"", ""},
    };
    for (const auto& [utf8, gbk] : cases) {
        EXPECT_EQ(utf8_to_gbk(utf8), gbk) << utf8;
        EXPECT_EQ(gb18030_to_utf8(gbk), utf8) << utf8;
    }
}

TEST(Gbk, UnencodableCharactersBecomeQuestionMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {"a😀b", "a?b"},                    // outside GBK
        {"中😀😀文", "\xD6\xD0??\xCE\xC4"},  // one "?" per character, the rest goes on
        {"x\xFFy", "x?y"},                 // malformed UTF-8
        {"\xE4\xB8", "?"},                 // cut-off character at the end
    };
    for (const auto& [utf8, gbk] : cases) {
        EXPECT_EQ(utf8_to_gbk(utf8), gbk) << utf8;
    }
}

// Pages in GB18030 hold what GBK cannot: four-byte codes, here from the supplementary planes
// and from the Basic Multilingual Plane, and the two-byte euro sign beside GBK's 0x80.
TEST(Gbk, CharactersBeyondGbkSurviveInGb18030) {
    const std::string text = "𠀀、€😀·ǹ";
    const std::string gb18030 = "\x95\x32\x82\x36\xA1\xA2\xA2\xE3\x94\x39\xFC\x36\xA1\xA4\xA8\xBF";
    EXPECT_EQ(utf8_to_gb18030(text), gb18030);
    EXPECT_EQ(gb18030_to_utf8(gb18030), text);
    EXPECT_EQ(gb18030_to_utf8("\x80"), "€");
    EXPECT_EQ(utf8_to_gb18030("a\xFF"), "a?");
}

TEST(Gbk, InvalidBytesNeverStopTheDecode) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xFF"
         "abc",
         kReplacement + "abc"},
        {"\xD6\xD0\xFF\xCE\xC4", "中" + kReplacement + "文"},
        {"ab\x81", "ab" + kReplacement},  // lead byte with nothing after it
    };
    for (const auto& [gbk, utf8] : cases) {
        EXPECT_EQ(gb18030_to_utf8(gbk), utf8);
    }
}

}  // namespace
}  // namespace tamsor
