#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The forum's patterns are written in the ECMAScript dialect (the legacy one, without the
// Unicode flag); the matcher underneath is PCRE2. The two read much the same text differently:
// "." and "^"/"$" know only LF as a line end in PCRE2, "\s" is ASCII there, "\v" is a class,
// "\a" or "\e" are control characters, "[:" opens a POSIX class, "(*" a verb. So every pattern is
// rewritten into PCRE2 syntax that means what ECMAScript means, item by item.
namespace tamsor {

// The callout the rewritten pattern carries where the matcher meters its work: in a probe
// before each repeated character, after each other quantifier and at the start of each
// alternative, the places a backtracking match comes back to.
inline constexpr std::string_view kWorkMeter = "(?C)";
// Before a back reference to group n (up to this one) the callout is "(?Cn)": the matcher then
// charges the group's length too.
inline constexpr uint32_t kLastMeteredGroup = 252;
// Around the run of a one-scan pattern's repetition (see Pcre2Pattern), when the scan is to be
// remembered: where it starts and where it ends. Before the run of a lazy repetition, the
// callout that lets the matcher skip a run whose end it already knows.
inline constexpr uint32_t kScanKnown = 253;
inline constexpr uint32_t kScanStart = 254;
inline constexpr uint32_t kScanEnd = 255;

struct Pcre2Pattern {
    std::string text;
    // One scan: at most one repetition (of one character, after nothing but characters and
    // plain groups), no alternatives, no back references. Such a pattern costs one scan of the
    // repetition's run a start; PCRE2's JIT code remembers where that scan failed and does not
    // scan the same stretch again from a later start, so the search stays linear without a
    // meter, and a meter would cost it that memory (it keeps none with callouts in a pattern
    // with groups). The interpreter keeps none: the matcher keeps it for it (kScanStart).
    bool single_scan = false;
};

enum class Metering {
    none,
    meters,
    // Meters, and the one scan of a one-scan pattern marked (kScanStart, kScanEnd) for a matcher
    // that remembers where it failed, as PCRE2's JIT code does by itself. A lazy repetition's
    // scan may be skipped (kScanKnown) where an earlier scan passed: a lazy match takes only
    // the characters it needs, and a scan to the end of the run for each of the many matches
    // on one long line would cost the rest of the line each.
    meters_and_scan,
};

// The pattern in PCRE2 syntax (to be compiled in UTF mode without PCRE2_MULTILINE), or nothing
// for a pattern ECMAScript rejects and PCRE2 would read as something else: a quantifier with
// nothing to repeat or after another one, "(?" forms other than groups and lookarounds, "(*".
std::optional<Pcre2Pattern> to_pcre2_pattern(std::string_view pattern, bool multiline,
                                             Metering metering);

}  // namespace tamsor
