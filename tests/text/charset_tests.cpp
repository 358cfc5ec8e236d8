#include "text/charset.h"

#include <gtest/gtest.h>

#include <string>

namespace tamsor {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD

struct CharsetCase {
    const char* what;
    std::string content_type;
    std::string body;
    PageCharset expected;
};

std::string meta(const std::string& charset) {
    return "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charset + "\" />";
}

TEST(PageCharset, TheHeaderDecidesThenTheMetaTagsNearTheStartThenGb18030) {
    using enum PageCharset;
    const std::string utf8_meta = meta("utf-8");
    const CharsetCase cases[] = {
        {"nothing named", "text/html", "<html><head><title>x</title>", gb18030},
        {"header", "text/html; charset=UTF-8", "<html>", utf8},
        {"quoted header", "text/html;charset=\"utf-8\"", "<html>", utf8},
        {"header before meta", "text/html; charset=GBK", "<head>" + utf8_meta, gb18030},
        {"header without charset", "text/html", "<head>" + utf8_meta, utf8},
        {"unknown header name", "text/html; charset=iso-8859-1", "<head>" + utf8_meta, utf8},
        {"html5 meta", "", "<HEAD><Meta Charset='utf-8'>", utf8},
        {"bare meta", "", "<meta charset=utf8>", utf8},
        {"meta of the GBK family", "", meta("gb2312") + utf8_meta, gb18030},
        {"unknown meta passed over", "", meta("big5") + utf8_meta, utf8},
        {"other meta tags", "", "<meta name=\"keywords\" content=\"a,b\" />" + utf8_meta, utf8},
        {"meta too far down", "", std::string(kDeclarationWindow, ' ') + utf8_meta, gb18030},
        {"xml declaration", "", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ajax>", utf8},
        {"byte order mark", "text/html; charset=gbk", "\xEF\xBB\xBF<html>", utf8},
    };
    for (const CharsetCase& c : cases) {
        EXPECT_EQ(page_charset(c.body, c.content_type), c.expected) << c.what;
    }
}

TEST(DecodePage, EndsAtTheFirstZeroByteInEitherCharset) {
    EXPECT_EQ(decode_page(std::string("\xD6\xD0\0tail", 7), ""), "中");
    EXPECT_EQ(decode_page(std::string("中\0tail", 6), "text/html; charset=utf-8"), "中");
    EXPECT_EQ(decode_page(std::string("\0x", 2), ""), "");
    EXPECT_EQ(decode_page("no zero", ""), "no zero");
}

TEST(DecodePage, ReadsEachCharsetAsItIs) {
    const std::string utf8 = "text/html; charset=utf-8";
    EXPECT_EQ(decode_page("\xD6\xD0\x95\x32\x82\x36", "text/html; charset=gbk"), "中𠀀");
    EXPECT_EQ(decode_page("中𠀀€", utf8), "中𠀀€");
    EXPECT_EQ(decode_page("\xEF\xBB\xBF中", ""), "中");  // the byte order mark is no text
    EXPECT_EQ(decode_page("\xD6\xD0", utf8), kReplacement + kReplacement);
}

TEST(RepairUtf8, EachIllFormedSequenceBecomesOneReplacement) {
    const std::pair<std::string, std::string> cases[] = {
        {"a中😀b", "a中😀b"},
        {"\xE4\xB8", kReplacement},                                    // cut short
        {"\xE4\xB8x\xB8", kReplacement + "x" + kReplacement},          // and a stray byte
        {"\xC0\x80", kReplacement + kReplacement},                     // overlong
        {"\xED\xA0\x80", kReplacement + kReplacement + kReplacement},  // a surrogate
        {"\xF4\x90\x80\x80", kReplacement + kReplacement + kReplacement + kReplacement},
        {"\xF0\x9F\x98", kReplacement},  // cut short
    };
    for (const auto& [text, repaired] : cases) {
        EXPECT_EQ(repair_utf8(text), repaired) << text;
    }
}

}  // namespace
}  // namespace tamsor
