// Writes the GB18030 two-byte table (gb18030_table.h) as a C++ source, each code decoded by the
// system's iconv on its own: make_gb18030_table <output.cpp>. Run by the build.
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "text/gb18030_table.h"

using namespace tamsor::gb18030_table;

namespace {

// The UTF-8 iconv makes of exactly these two bytes: empty when it refuses them or does not
// take them as one character.
std::string decode_code(iconv_t cd, unsigned lead, unsigned trail) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char* in = code;
    size_t in_left = sizeof code;
    char buffer[16];
    char* out = buffer;
    size_t out_left = sizeof buffer;
    if (iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) || in_left != 0) {
        return {};
    }
    const std::string utf8(buffer, sizeof buffer - out_left);
    // One character: a lead byte and its continuation bytes only.
    const auto first = static_cast<unsigned char>(utf8.empty() ? 0 : utf8[0]);
    const size_t length = first < 0x80 ? 1 : first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
    return utf8.size() == length ? utf8 : std::string();
}

std::string char_literals(const std::string& bytes, size_t count) {
    std::string literals;
    for (size_t i = 0; i < count; ++i) {
        char literal[8];
        const unsigned byte = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
        std::snprintf(literal, sizeof literal, "'\\x%02x'", byte);
        literals += (i == 0 ? "" : ",") + std::string(literal);
    }
    return literals;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_gb18030_table <output.cpp>\n";
        return 2;
    }
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::cerr << "make_gb18030_table: iconv cannot decode GB18030\n";
        return 1;
    }
    std::string pairs;
    std::vector<std::string> beyond;
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
        for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            std::string utf8 = decode_code(cd, lead, trail);
            if (utf8.size() == 4) {
                char code[8];
                std::snprintf(code, sizeof code, "0x%02x%02x", lead, trail);
                beyond.push_back("{" + std::string(code) + ",{" + char_literals(utf8, 4) + "}}");
                utf8.clear();
            }
            pairs += "{{" + char_literals(utf8, 3) + "}," + std::to_string(utf8.size()) + "},";
            pairs += trail % 8 == 7 ? "\n" : "";
        }
    }
    iconv_close(cd);
    std::ofstream out(argv[1]);
    out << "// Made by make_gb18030_table from the system's iconv; not to be edited.\n"
        << "#include \"text/gb18030_table.h\"\n\n"
        << "namespace tamsor::gb18030_table {\n\n"
        << "const Entry kPairs[kLeads * kTrails] = {\n"
        << pairs
        << "};\n\n"
        // The last row only keeps the array from being empty; kBeyondCount leaves it out.
        << "const Beyond kBeyond[] = {\n";
    for (const std::string& row : beyond) {
        out << row << ",\n";
    }
    out << "{0,{}}};\n\n"
        << "const size_t kBeyondCount = " << beyond.size() << ";\n\n"
        << "}  // namespace tamsor::gb18030_table\n";
    out.close();
    return out ? 0 : 1;
}
