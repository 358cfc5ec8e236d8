#include "text/gbk.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "text/gb18030_table.h"
#include "text/strings.h"

namespace tamsor {
namespace {

// One conversion descriptor per thread: iconv_t is not thread safe and
// opening one costs far more than a short conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns the number of input bytes left unconverted
    // where the input stopped being convertible (0 when everything went through).
    size_t convert(std::string_view& input, std::string& output) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t in_left = input.size();
        char buffer[4096];
        while (in_left > 0) {
            char* out = buffer;
            size_t out_left = sizeof buffer;
            size_t result = iconv(cd_, &in, &in_left, &out, &out_left);
            int error = errno;
            output.append(buffer, static_cast<size_t>(out - buffer));
            if (result != static_cast<size_t>(-1) || error == E2BIG) {
                continue;
            }
            break;  // EILSEQ or EINVAL: the caller decides how to step over the bad bytes
        }
        input.remove_prefix(input.size() - in_left);
        return in_left;
    }

private:
    iconv_t cd_;
};

Converter& gbk_encoder() {
    thread_local Converter converter("CP936", "UTF-8");
    return converter;
}

Converter& gb18030_encoder() {
    thread_local Converter converter("GB18030", "UTF-8");
    return converter;
}

// Length of the (possibly malformed) UTF-8 character at the start of the text: its lead byte and
// the continuation bytes that follow, at least 1, so a bad sequence never swallows good text.
size_t utf8_character_length(std::string_view text) {
    auto lead = static_cast<unsigned char>(text.front());
    size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    size_t length = 1;
    while (length < expected && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

// What one code decodes to, as UTF-8: at most four bytes. Length 0: not a character on its own.
struct Utf8Character {
    char bytes[4];
    uint8_t length;
};

constexpr Utf8Character kReplacement{{'\xEF', '\xBF', '\xBD'}, 3};  // U+FFFD
// GB18030 writes the euro sign with two bytes; GBK, and the pages written for it, with 0x80.
constexpr Utf8Character kEuroSign{{'\xE2', '\x82', '\xAC'}, 3};

using gb18030_table::kFirstLead;
using gb18030_table::kFirstTrail;
using gb18030_table::kLastLead;
using gb18030_table::kLastTrail;
using gb18030_table::kLeads;
using gb18030_table::kTrails;

// Four-byte codes: a lead, a digit, a lead-range byte and a digit, counted in that order.
constexpr unsigned kFirstDigit = 0x30;
constexpr unsigned kLastDigit = 0x39;
constexpr unsigned kDigits = 10;
// 81 30 81 30 to 84 31 A4 39 are the Basic Multilingual Plane characters that have no two-byte
// code; from 90 30 81 30 on the codes count the supplementary planes from U+10000.
constexpr size_t kFourByteBmpCodes = 39420;
constexpr size_t kFirstSupplementaryIndex = (0x90 - kFirstLead) * kDigits * kLeads * kDigits;
constexpr uint32_t kLastCodePoint = 0x10FFFF;

bool in_range(unsigned char byte, unsigned first, unsigned last) {
    return byte >= first && byte <= last;
}

bool is_four_byte_form(const unsigned char* code) {
    return in_range(code[0], kFirstLead, kLastLead) && in_range(code[1], kFirstDigit, kLastDigit) &&
           in_range(code[2], kFirstLead, kLastLead) && in_range(code[3], kFirstDigit, kLastDigit);
}

size_t four_byte_index(const unsigned char* code) {
    return (((code[0] - kFirstLead) * kDigits + (code[1] - kFirstDigit)) * kLeads +
            (code[2] - kFirstLead)) *
               kDigits +
           (code[3] - kFirstDigit);
}

Utf8Character utf8_of(uint32_t code_point) {
    Utf8Character character{};
    if (code_point < 0x10000) {
        character.bytes[0] = static_cast<char>(0xE0 | (code_point >> 12));
        character.bytes[1] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        character.bytes[2] = static_cast<char>(0x80 | (code_point & 0x3F));
        character.length = 3;
    } else {
        character.bytes[0] = static_cast<char>(0xF0 | (code_point >> 18));
        character.bytes[1] = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        character.bytes[2] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        character.bytes[3] = static_cast<char>(0x80 | (code_point & 0x3F));
        character.length = 4;
    }
    return character;
}

// The character iconv makes of exactly these bytes, or length 0 when it does not take them all
// as one character.
Utf8Character ask_iconv(iconv_t cd, const unsigned char* code, size_t size) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(code));
    size_t in_left = size;
    char buffer[8];
    char* out = buffer;
    size_t out_left = sizeof buffer;
    Utf8Character character{};
    size_t written = 0;
    if (iconv(cd, &in, &in_left, &out, &out_left) != static_cast<size_t>(-1) && in_left == 0 &&
        (written = sizeof buffer - out_left) <= sizeof character.bytes) {
        std::memcpy(character.bytes, buffer, written);
        character.length = static_cast<uint8_t>(written);
    }
    return character;
}

// Decodes `count` codes of `width` bytes each, laid out one after the other, into `decoded`. One
// iconv call takes the run up to the next code it refuses, which is far quicker than a call per
// code; should its output not split into one character per code, the codes are asked one by one.
void decode_codes(iconv_t cd, const unsigned char* codes, size_t width, size_t count,
                  Utf8Character* decoded) {
    std::vector<char> output(count * sizeof(Utf8Character::bytes));
    size_t code = 0;
    while (code < count) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(codes + width * code));
        size_t in_left = width * (count - code);
        char* out = output.data();
        size_t out_left = output.size();
        bool refused = iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1);
        bool split = !refused || errno == EILSEQ || errno == EINVAL;
        size_t taken = width * (count - code) - in_left;
        split = split && taken % width == 0;
        std::string_view produced(output.data(), static_cast<size_t>(out - output.data()));
        for (size_t done = 0; split && done < taken / width; ++done, ++code) {
            size_t length = produced.empty() ? 0 : utf8_character_length(produced);
            split = length != 0 && length <= sizeof decoded[code].bytes;
            if (split) {
                std::memcpy(decoded[code].bytes, produced.data(), length);
                decoded[code].length = static_cast<uint8_t>(length);
                produced.remove_prefix(length);
            }
        }
        if (!split || !produced.empty()) {
            for (size_t i = 0; i < count; ++i) {
                decoded[i] = ask_iconv(cd, codes + width * i, width);
            }
            return;
        }
        if (refused) {
            decoded[code++] = Utf8Character{};
        }
    }
}

using TableEntry = gb18030_table::Entry;

TableEntry entry_of(const Utf8Character& character) {
    TableEntry entry{};
    std::memcpy(entry.bytes, character.bytes, sizeof entry.bytes);
    entry.length = character.length;
    return entry;
}

// The bytes 0x80 to 0xFF on their own: only 0x80, the euro sign, is a character.
constexpr std::array<TableEntry, 0x80> kSingleBytes = {
    TableEntry{{kEuroSign.bytes[0], kEuroSign.bytes[1], kEuroSign.bytes[2]}, kEuroSign.length}};

iconv_t open_gb18030_decoder() {
    return iconv_open("UTF-8", "GB18030");
}

// The Basic Multilingual Plane's four-byte codes in index order; empty when iconv is missing.
// Made from iconv when a page first holds such a code: the pages of the GBK family have none, so
// the program does not carry this table, as it does the two-byte one.
std::vector<TableEntry> build_four_byte_table() {
    std::vector<TableEntry> table;
    iconv_t cd = open_gb18030_decoder();
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return table;
    }
    std::vector<unsigned char> codes(4 * kFourByteBmpCodes);
    for (size_t index = 0; index < kFourByteBmpCodes; ++index) {
        size_t rest = index;
        for (int byte = 3; byte >= 0; --byte) {
            const bool digit = byte % 2 == 1;
            const unsigned base = digit ? kDigits : kLeads;
            codes[4 * index + static_cast<size_t>(byte)] =
                static_cast<unsigned char>((digit ? kFirstDigit : kFirstLead) + rest % base);
            rest /= base;
        }
    }
    std::vector<Utf8Character> decoded(kFourByteBmpCodes);
    decode_codes(cd, codes.data(), 4, kFourByteBmpCodes, decoded.data());
    iconv_close(cd);
    table.reserve(kFourByteBmpCodes);
    for (const Utf8Character& character : decoded) {
        // Every one is a character of the plane; should one not be, it counts as none.
        table.push_back(character.length <= 3 ? entry_of(character) : TableEntry{});
    }
    return table;
}

// What the four-byte code stands for; length 0 when it stands for nothing.
Utf8Character decode_four_bytes(const unsigned char* code) {
    const size_t index = four_byte_index(code);
    if (index < kFourByteBmpCodes) {
        static const std::vector<TableEntry> table = build_four_byte_table();
        Utf8Character character{};
        if (!table.empty()) {
            std::memcpy(character.bytes, table[index].bytes, sizeof table[index].bytes);
            character.length = table[index].length;
        }
        return character;
    }
    if (index >= kFirstSupplementaryIndex &&
        index - kFirstSupplementaryIndex <= kLastCodePoint - 0x10000) {
        return utf8_of(static_cast<uint32_t>(0x10000 + index - kFirstSupplementaryIndex));
    }
    return Utf8Character{};
}

// What the bytes from `at` on start with when the tables' double-byte and single-byte entries
// do not answer: a double-byte code beyond the plane, a four-byte code, or a byte that starts
// no character (U+FFFD for that byte alone: a bad lead never swallows what follows). Puts it in
// `character` and says how many bytes it took.
size_t decode_uncommon(std::string_view bytes, size_t at, Utf8Character& character) {
    const auto* code = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    const size_t left = bytes.size() - at;
    if (left >= 2) {
        const uint16_t key = static_cast<uint16_t>(code[0] << 8 | code[1]);
        for (size_t k = 0; k < gb18030_table::kBeyondCount; ++k) {
            const gb18030_table::Beyond& beyond = gb18030_table::kBeyond[k];
            if (beyond.code == key) {
                std::memcpy(character.bytes, beyond.bytes, sizeof character.bytes);
                character.length = sizeof beyond.bytes;
                return 2;
            }
        }
    }
    if (left >= 4 && is_four_byte_form(code)) {
        character = decode_four_bytes(code);
        if (character.length != 0) {
            return 4;
        }
    }
    character = kReplacement;
    return 1;
}

}  // namespace

std::string gb18030_to_utf8(std::string_view bytes) {
    const size_t size = bytes.size();
    size_t i = ascii_prefix(bytes);
    if (i == size) {
        return std::string(bytes);
    }
    // The tables and the output as plain pointers: writes through a char pointer may alias
    // anything, so members would be read again after every character.
    const TableEntry* const single = kSingleBytes.data();
    const TableEntry* const pairs = gb18030_table::kPairs;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    // Two bytes never become more than four, one byte at most three (U+FFFD, the euro sign);
    // the buffer grows when a run of those outgrows the first guess.
    std::string output(size + size / 2 + 16, '\0');
    char* out = output.data();
    char* out_end = out + output.size();
    auto reserve = [&](size_t bytes_needed) {
        if (static_cast<size_t>(out_end - out) < bytes_needed) {
            const size_t written = static_cast<size_t>(out - output.data());
            output.resize(std::max(output.size() * 2, written + bytes_needed));
            out = output.data() + written;
            out_end = output.data() + output.size();
        }
    };
    std::memcpy(out, in, i);
    out += i;
    while (i < size) {
        for (; i < size && in[i] >= 0x80; ++i) {
            reserve(sizeof(Utf8Character));
            const TableEntry* entry = &single[in[i] - 0x80];
            if (entry->length == 0 && i + 1 < size && in_range(in[i], kFirstLead, kLastLead) &&
                in_range(in[i + 1], kFirstTrail, kLastTrail)) {
                const TableEntry* pair =
                    &pairs[(in[i] - kFirstLead) * kTrails + (in[i + 1] - kFirstTrail)];
                if (pair->length != 0) {
                    entry = pair;
                    ++i;
                }
            }
            if (entry->length == 0) {
                break;  // out of this loop, which makes no calls, to the uncommon code below
            }
            std::memcpy(out, entry->bytes, sizeof entry->bytes);
            out += entry->length;
        }
        if (i < size && in[i] >= 0x80) {
            Utf8Character character;
            i += decode_uncommon(bytes, i, character);
            std::memcpy(out, character.bytes, sizeof character.bytes);
            out += character.length;
            continue;
        }
        const size_t run = ascii_prefix(bytes.substr(i));
        reserve(run);
        std::memcpy(out, in + i, run);
        out += run;
        i += run;
    }
    output.resize(static_cast<size_t>(out - output.data()));
    return output;
}

namespace {

std::string encode(std::string_view utf8, Converter& converter, bool keep_unmapped) {
    if (ascii_prefix(utf8) == utf8.size()) {
        return std::string(utf8);
    }
    std::string output;
    output.reserve(utf8.size());
    if (!converter.valid()) {
        return output;
    }
    while (converter.convert(utf8, output) > 0) {
        const size_t unmapped = utf8_character_length(utf8);
        output += keep_unmapped ? utf8.substr(0, unmapped) : std::string_view("?");
        utf8.remove_prefix(unmapped);
    }
    return output;
}

}  // namespace

std::string utf8_to_gbk(std::string_view utf8) {
    return encode(utf8, gbk_encoder(), false);
}

std::string utf8_to_gbk_keeping_unmapped(std::string_view utf8) {
    return encode(utf8, gbk_encoder(), true);
}

std::string utf8_to_gb18030(std::string_view utf8) {
    return encode(utf8, gb18030_encoder(), false);
}

}  // namespace tamsor
