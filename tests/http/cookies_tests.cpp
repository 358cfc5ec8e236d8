#include "http/cookies.h"

#include <gtest/gtest.h>

namespace tamsor {
namespace {

TEST(MergeCookies, NewCookiesFirstThenUnmentionedOldOnes) {
    struct Case {
        std::string jar, fresh, merged;
    };
    const Case cases[] = {
        {"a=1; b=2", "b=3", "b=3; a=1"},
        {"a=1; b=2", "b=deleted", "a=1"},
        {"", "a=1; c=2", "a=1; c=2"},
        {"a=1", "", "a=1"},
        {"", "", ""},
        {"", "a=1; a=1", "a=1"},
        {"", "a=1; a=2", "a=1; a=2"},
        {"s=x y", "", "s=xy"},
        {"SID=1", "sid=2", "sid=2; SID=1"},
        {"a=1; b=2; c=3", "c=9; a=deleted", "c=9; b=2"},
        {"a=1;", "b=2", "b=2; a=1"},   // an empty piece is no cookie
        {"flag", "flag=1", "flag=1"},  // an item without "=" is its own name
    };
    for (const auto& c : cases) {
        std::string jar = c.jar;
        std::string fresh = c.fresh;
        EXPECT_EQ(merge_cookies(jar, fresh), c.merged) << c.jar << " + " << c.fresh;
        EXPECT_EQ(jar, c.merged);
        EXPECT_EQ(fresh.find(' '), std::string::npos);
    }
}

TEST(CookieHelpers, NamesItemsAndDuplicates) {
    EXPECT_EQ(cookie_name(" a =1=2"), "a");
    EXPECT_EQ(cookie_name("flag"), "flag");
    EXPECT_TRUE(has_cookie_named({"x=1", "a=2"}, "a"));
    EXPECT_FALSE(has_cookie_named({"A=2"}, "a"));
    EXPECT_EQ(index_of_item({"x", "y", "y"}, "y"), 2);
    EXPECT_EQ(index_of_item({"x"}, "z"), -1);
    EXPECT_EQ(remove_duplicate_items("a; b; a; c; b", "; "), "a; b; c");
    EXPECT_EQ(remove_duplicate_items("x|y|x", "|"), "x|y");
    EXPECT_EQ(remove_duplicate_items("", "; "), "");
}

}  // namespace
}  // namespace tamsor
