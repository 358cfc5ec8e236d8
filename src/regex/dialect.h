#pragma once

#include <cstddef>
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
inline constexpr size_t kLastMeteredGroup = 255;

// The pattern in PCRE2 syntax (to be compiled in UTF mode without PCRE2_MULTILINE), or nothing
// for a pattern ECMAScript rejects and PCRE2 would read as something else: a quantifier with
// nothing to repeat or after another one, "(?" forms other than groups and lookarounds, "(*".
std::optional<std::string> to_pcre2_pattern(std::string_view pattern, bool multiline);

}  // namespace tamsor
