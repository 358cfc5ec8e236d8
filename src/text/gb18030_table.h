#pragma once

#include <cstddef>
#include <cstdint>

// The GB18030 two-byte codes as UTF-8, made at build time from the system's iconv (by
// make_gb18030_table), so that decoding a page never waits for a table to be built.
namespace tamsor::gb18030_table {

inline constexpr unsigned kFirstLead = 0x81;
inline constexpr unsigned kLastLead = 0xFE;
inline constexpr unsigned kFirstTrail = 0x40;
inline constexpr unsigned kLastTrail = 0xFE;
inline constexpr unsigned kLeads = kLastLead - kFirstLead + 1;
inline constexpr unsigned kTrails = kLastTrail - kFirstTrail + 1;

// A character of the Basic Multilingual Plane, whose UTF-8 takes at most three bytes, so that an
// entry is four bytes. Length 0: no such character.
struct Entry {
    char bytes[3];
    uint8_t length;
};

// A two-byte code of a character beyond the plane: there are only a few.
struct Beyond {
    uint16_t code;  // lead << 8 | trail
    char bytes[4];
};

// Lead kFirstLead to kLastLead, each with trail kFirstTrail to kLastTrail.
extern const Entry kPairs[kLeads * kTrails];
extern const Beyond kBeyond[];
extern const size_t kBeyondCount;

}  // namespace tamsor::gb18030_table
