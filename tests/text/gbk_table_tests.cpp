// The table decoder must agree with iconv byte for byte; these tests put both side by side over
// every double-byte code and over random bytes, so that a wrong table entry cannot hide.
#include "text/gbk.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <random>
#include <string>

namespace tamsor {
namespace {

// What iconv itself makes of the bytes, one U+FFFD for each byte it refuses.
std::string decode_with_iconv(std::string_view gbk) {
    iconv_t cd = iconv_open("UTF-8", "CP936");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string output;
    char* in = const_cast<char*>(gbk.data());
    size_t in_left = gbk.size();
    while (in_left > 0) {
        char buffer[512];
        char* out = buffer;
        size_t out_left = sizeof buffer;
        bool refused =
            iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) && errno != E2BIG;
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (refused) {
            output += "\xEF\xBF\xBD";
            ++in;
            --in_left;
        }
    }
    iconv_close(cd);
    return output;
}

TEST(GbkTable, AgreesWithIconvOnEveryTwoByteString) {
    ASSERT_EQ(decode_with_iconv("\xD6\xD0\x80"), "中€");
    std::string all;
    int characters = 0;
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned trail = 0; trail <= 0xFF; ++trail) {
            const char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            std::string_view bytes(code, 2);
            std::string expected = decode_with_iconv(bytes);
            ASSERT_EQ(gbk_to_utf8(bytes), expected) << std::hex << lead << ' ' << trail;
            characters += expected.find("\xEF\xBF\xBD") == std::string::npos;
            all.append(bytes);
        }
    }
    EXPECT_GT(characters, 21000);  // the double-byte area is really there, not all refused
    EXPECT_EQ(gbk_to_utf8(all), decode_with_iconv(all));
}

TEST(GbkTable, AgreesWithIconvOnRandomBytes) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    std::uniform_int_distribution<int> length(1, 300);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        int size = length(random);
        for (int i = 0; i < size; ++i) {
            // Mostly high bytes, so that leads, trails and stray bytes meet in every order.
            bytes += static_cast<char>(i % 3 == 0 ? byte(random) : high(random));
        }
        ASSERT_EQ(gbk_to_utf8(bytes), decode_with_iconv(bytes)) << "round " << round;
    }
}

TEST(GbkTable, OutputThreeTimesTheInputStillFits) {
    // Every refused byte and every euro sign turns one byte into three.
    for (std::string bytes : {std::string(100000, '\xFF'), std::string(100000, '\x80'),
                              "<p>" + std::string(70000, '\xFF') + std::string(5000, 'a')}) {
        EXPECT_EQ(gbk_to_utf8(bytes), decode_with_iconv(bytes));
    }
}

}  // namespace
}  // namespace tamsor
