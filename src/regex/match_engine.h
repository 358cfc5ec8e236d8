#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// The search behind RegexObject: patterns in the forum's (ECMAScript) dialect, run by PCRE2 in UTF
// mode, with JIT where the platform allows it, and with a budget for the work of one search.
namespace tamsor {

struct MatchOptions {
    bool case_sensitive = false;
    bool multiline = true;
    bool global = true;
};

// What one search found, as UTF-8 byte offsets into the subject.
struct MatchList {
    static constexpr size_t kUnset = static_cast<size_t>(-1);

    int group_count = 0;
    // Start and end of each match and of each of its groups: group_count + 1 pairs per match,
    // kUnset for a group that did not take part.
    std::vector<size_t> spans;
};

// Nothing for a pattern that does not compile. A search that spends its budget (which grows
// with the subject) ends there, and the matches found before stand; a start position that alone
// costs half of it is skipped.
std::optional<MatchList> find_matches(std::string_view pattern, std::string_view subject,
                                      const MatchOptions& options);

// On the calling thread, compile later patterns for the interpreter instead of JIT, as on a
// platform without JIT. For tests of that path; JIT is on by default.
void set_regex_jit_enabled(bool enabled);

}  // namespace tamsor
