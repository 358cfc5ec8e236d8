// The table decoder must agree with iconv's GB18030 byte for byte; these tests put both side by
// side over every double-byte code, over the four-byte ranges and over random bytes, so that a
// wrong table entry cannot hide.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <random>
#include <string>

#include "text/gbk.h"

namespace tamsor {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

// What iconv itself makes of the bytes, one U+FFFD for each byte it refuses; a refused 0x80 is
// the euro sign, as GBK has it and as the decoder keeps it.
std::string decode_with_iconv(std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string output;
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    while (in_left > 0) {
        char buffer[512];
        char* out = buffer;
        size_t out_left = sizeof buffer;
        bool refused =
            iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) && errno != E2BIG;
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (refused) {
            output += *in == '\x80' ? "€" : kReplacement;
            ++in;
            --in_left;
        }
    }
    iconv_close(cd);
    return output;
}

// The four bytes of four-byte code number `index`, counted from 81 30 81 30.
std::string four_byte_code(size_t index) {
    std::string code(4, '\0');
    for (int byte = 3; byte >= 0; --byte) {
        const bool digit = byte % 2 == 1;
        const size_t base = digit ? 10 : 126;
        code[static_cast<size_t>(byte)] = static_cast<char>((digit ? 0x30 : 0x81) + index % base);
        index /= base;
    }
    return code;
}

TEST(Gb18030Table, AgreesWithIconvOnEveryTwoByteString) {
    ASSERT_EQ(decode_with_iconv("\xD6\xD0\x80\xA2\xE3"), "中€€");
    std::string all;
    int characters = 0;
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned trail = 0; trail <= 0xFF; ++trail) {
            const char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            std::string_view bytes(code, 2);
            std::string expected = decode_with_iconv(bytes);
            ASSERT_EQ(gb18030_to_utf8(bytes), expected) << std::hex << lead << ' ' << trail;
            characters += expected.find(kReplacement) == std::string::npos;
            all.append(bytes);
        }
    }
    // The double-byte area is really there, GB18030's codes beyond GBK's 21886 among it.
    EXPECT_GT(characters, 24000);
    EXPECT_EQ(gb18030_to_utf8(all), decode_with_iconv(all));
}

// Every code of the Basic Multilingual Plane's four-byte range and a sample of all the others:
// the codes of the supplementary planes, those beyond U+10FFFF, and those between the two ranges
// that stand for nothing.
TEST(Gb18030Table, AgreesWithIconvOnFourByteCodes) {
    constexpr size_t kBmpCodes = 39420;
    constexpr size_t kAllCodes = 126 * 10 * 126 * 10;
    ASSERT_EQ(gb18030_to_utf8(four_byte_code(0)), "\xC2\x80");  // U+0080
    ASSERT_EQ(gb18030_to_utf8(four_byte_code(189000)), "𐀀");    // U+10000
    ASSERT_EQ(gb18030_to_utf8(four_byte_code(189000 + 0xFFFFF)), "\xF4\x8F\xBF\xBF");
    std::vector<size_t> indexes;
    for (size_t index = 0; index < kBmpCodes + 5; ++index) {
        indexes.push_back(index);
    }
    for (size_t index = kBmpCodes + 5; index < kAllCodes; index += 37) {
        indexes.push_back(index);
    }
    indexes.push_back(189000 + 0xFFFFF + 1);
    for (size_t first = 0; first < indexes.size(); first += 1000) {
        std::string run;
        for (size_t k = first; k < std::min(indexes.size(), first + 1000); ++k) {
            run += four_byte_code(indexes[k]);
        }
        const std::string expected = decode_with_iconv(run);
        if (gb18030_to_utf8(run) != expected) {
            for (size_t k = first; k < std::min(indexes.size(), first + 1000); ++k) {
                const std::string code = four_byte_code(indexes[k]);
                ASSERT_EQ(gb18030_to_utf8(code), decode_with_iconv(code)) << "code " << indexes[k];
            }
            FAIL() << "codes from " << indexes[first] << " decode differently in a run";
        }
    }
}

TEST(Gb18030Table, AgreesWithIconvOnRandomBytes) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    std::uniform_int_distribution<int> digit('0', '9');
    std::uniform_int_distribution<int> length(1, 300);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        int size = length(random);
        for (int i = 0; i < size; ++i) {
            // Mostly high bytes and some digits, so that leads, trails, the bytes of four-byte
            // codes and stray bytes meet in every order.
            bytes += static_cast<char>(i % 3 == 0                     ? byte(random)
                                       : i % 3 == 1 && round % 2 == 0 ? digit(random)
                                                                      : high(random));
        }
        ASSERT_EQ(gb18030_to_utf8(bytes), decode_with_iconv(bytes)) << "round " << round;
    }
}

TEST(Gb18030Table, OutputThreeTimesTheInputStillFits) {
    // Every refused byte and every euro sign turns one byte into three.
    for (std::string bytes : {std::string(100000, '\xFF'), std::string(100000, '\x80'),
                              "<p>" + std::string(70000, '\xFF') + std::string(5000, 'a')}) {
        EXPECT_EQ(gb18030_to_utf8(bytes), decode_with_iconv(bytes));
    }
}

}  // namespace
}  // namespace tamsor
