#include "http/form.h"

#include <gtest/gtest.h>

namespace tamsor {
namespace {

TEST(UrlEncode, KeepsOnlyUnreservedBytesAndEncodesGbk) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"abc-1.2", "abc-1.2"},
        {"AZaz09", "AZaz09"},
        {"a b", "a%20b"},
        {"a_b~c", "a%5Fb%7Ec"},
        {"\n", "%0A"},
        {"a&b=c", "a%26b%3Dc"},
        {"中", "%D6%D0"},  // the GBK bytes, not the UTF-8 ones
        {"张三1", "%D5%C5%C8%FD1"},
        {"\x7f", "%7F"},
    };
    for (const auto& [text, encoded] : cases) {
        EXPECT_EQ(url_encode(text), encoded) << text;
    }
}

}  // namespace
}  // namespace tamsor
