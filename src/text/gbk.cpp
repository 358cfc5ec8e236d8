#include "text/gbk.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tamsor {
namespace {

// Length of the run of ASCII bytes at the start of the text. Markup is mostly ASCII, so this
// looks at eight bytes at a time.
size_t ascii_prefix(std::string_view text) {
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
    }
    return i;
}

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

Converter& encoder() {
    thread_local Converter converter("CP936", "UTF-8");
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

// What one GBK code decodes to. Every GBK character lies in the Basic Multilingual Plane, so
// its UTF-8 form is at most three bytes. Length 0: not a character on its own.
struct Utf8Character {
    char bytes[3];
    uint8_t length;
};

constexpr Utf8Character kReplacement{{'\xEF', '\xBF', '\xBD'}, 3};  // U+FFFD

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFE;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kLastTrail = 0xFE;
constexpr unsigned kTrails = kLastTrail - kFirstTrail + 1;

// Every code the decoder can meet, decoded once by iconv itself, so that the table agrees with
// iconv code for code (the single-byte euro sign and the holes in the double-byte area
// included) while decoding runs without iconv's per-character cost.
struct DecodeTable {
    bool valid = false;
    std::array<Utf8Character, 0x80> single{};  // the bytes 0x80 to 0xFF on their own
    std::vector<Utf8Character> pairs;          // lead 0x81 to 0xFE, trail 0x40 to 0xFE

    const Utf8Character* pair(unsigned char lead, unsigned char trail) const {
        if (lead < kFirstLead || lead > kLastLead || trail < kFirstTrail || trail > kLastTrail) {
            return nullptr;
        }
        return &pairs[(lead - kFirstLead) * kTrails + (trail - kFirstTrail)];
    }
};

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

// Decodes every code of one lead byte, trail by trail. One iconv call takes the whole row up to
// the next code it refuses, which is far quicker than a call per code; should its output not
// split into one character per code, the row is asked code by code instead.
void fill_row(iconv_t cd, unsigned lead, Utf8Character* row) {
    unsigned char codes[kTrails * 2];
    for (unsigned i = 0; i < kTrails; ++i) {
        codes[2 * i] = static_cast<unsigned char>(lead);
        codes[2 * i + 1] = static_cast<unsigned char>(kFirstTrail + i);
    }
    size_t code = 0;
    while (code < kTrails) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = reinterpret_cast<char*>(codes + 2 * code);
        size_t in_left = 2 * (kTrails - code);
        char output[kTrails * 4];
        char* out = output;
        size_t out_left = sizeof output;
        bool refused = iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1);
        bool split = !refused || errno == EILSEQ || errno == EINVAL;
        size_t taken = 2 * (kTrails - code) - in_left;
        split = split && taken % 2 == 0;
        std::string_view produced(output, static_cast<size_t>(out - output));
        for (size_t done = 0; split && done < taken / 2; ++done, ++code) {
            size_t length = produced.empty() ? 0 : utf8_character_length(produced);
            split = length != 0 && length <= sizeof row[code].bytes;
            if (split) {
                std::memcpy(row[code].bytes, produced.data(), length);
                row[code].length = static_cast<uint8_t>(length);
                produced.remove_prefix(length);
            }
        }
        if (!split || !produced.empty()) {
            for (size_t i = 0; i < kTrails; ++i) {
                row[i] = ask_iconv(cd, codes + 2 * i, 2);
            }
            return;
        }
        if (refused) {
            row[code++] = Utf8Character{};
        }
    }
}

DecodeTable build_decode_table() {
    DecodeTable table;
    iconv_t cd = iconv_open("UTF-8", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return table;
    }
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        const unsigned char code[1] = {static_cast<unsigned char>(byte)};
        table.single[byte - 0x80] = ask_iconv(cd, code, 1);
    }
    table.pairs.resize((kLastLead - kFirstLead + 1) * kTrails);
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
        if (table.single[lead - 0x80].length != 0) {
            continue;  // a character on its own; the decoder never pairs it
        }
        fill_row(cd, lead, &table.pairs[(lead - kFirstLead) * kTrails]);
    }
    iconv_close(cd);
    table.valid = true;
    return table;
}

const DecodeTable& decode_table() {
    static const DecodeTable table = build_decode_table();
    return table;
}

}  // namespace

std::string gbk_to_utf8(std::string_view gbk) {
    const size_t size = gbk.size();
    size_t i = ascii_prefix(gbk);
    if (i == size) {
        return std::string(gbk);
    }
    const DecodeTable& table = decode_table();
    if (!table.valid) {
        return {};
    }
    const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
    // Two bytes never become more than three, one byte at most three (U+FFFD, the euro sign);
    // the buffer grows when a run of those outgrows the first guess.
    std::string output(size + size / 2 + 16, '\0');
    std::memcpy(output.data(), in, i);
    size_t out = i;
    while (i < size) {
        for (; i < size && in[i] >= 0x80; ++i) {
            if (output.size() - out < sizeof(Utf8Character)) {
                output.resize(output.size() * 2);
            }
            const Utf8Character* character = &table.single[in[i] - 0x80];
            if (character->length == 0 && i + 1 < size) {
                const Utf8Character* pair = table.pair(in[i], in[i + 1]);
                if (pair != nullptr && pair->length != 0) {
                    character = pair;
                    ++i;
                }
            }
            if (character->length == 0) {
                character = &kReplacement;  // one byte only: a bad lead never swallows what follows
            }
            std::memcpy(output.data() + out, character->bytes, sizeof character->bytes);
            out += character->length;
        }
        size_t run = ascii_prefix(gbk.substr(i));
        if (output.size() - out < run) {
            output.resize(std::max(output.size() * 2, out + run));
        }
        std::memcpy(output.data() + out, in + i, run);
        out += run;
        i += run;
    }
    output.resize(out);
    return output;
}

namespace {

std::string encode_gbk(std::string_view utf8, bool keep_unmapped) {
    if (ascii_prefix(utf8) == utf8.size()) {
        return std::string(utf8);
    }
    std::string output;
    output.reserve(utf8.size());
    Converter& converter = encoder();
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
    return encode_gbk(utf8, false);
}

std::string utf8_to_gbk_keeping_unmapped(std::string_view utf8) {
    return encode_gbk(utf8, true);
}

std::string page_text(std::string_view body) {
    return gbk_to_utf8(body.substr(0, body.find('\0')));
}

}  // namespace tamsor
