#pragma once

#include <algorithm>

#include "fuzz_support.h"
#include "regex/regex_object.h"
#include "text/gbk.h"

namespace tamsor::fuzz {

// Reads every match and group back the way the readers do and checks they are parts of the
// subject at positions inside it; then expands a replacement over them.
inline void check_matches(const RegexObject& regex, std::string_view subject) {
    const int count = regex.match_count();
    check(count >= 0, "a match count is not negative");
    // Positions count the subject's bytes in GB18030, where GBK's "?" for an unmapped character
    // would be one byte and GB18030 gives it four.
    const int encoded_size = static_cast<int>(utf8_to_gb18030(subject).size());
    const int groups = regex.submatch_count();
    check(groups >= 0 && (count > 0 || groups == 0), "groups only with matches");
    // Past the last match and group, and before the first, nothing is found.
    check(regex.match_text(0).empty() && regex.match_text(count + 1).empty(),
          "matches out of range are empty");
    check(regex.submatch_text(1, 0).empty() && regex.submatch_text(1, groups + 1).empty(),
          "groups out of range are empty");
    for (int i = 1; i <= std::min(count, 200); ++i) {
        int position = -1;
        const std::string text = regex.match_text(i, &position);
        check(position >= 0 && position <= encoded_size, "a match lies in the subject", text);
        check(subject.find(text) != std::string_view::npos, "a match is part of the subject", text);
        for (int j = 1; j <= std::min(groups, 20); ++j) {
            int group_position = -2;
            const std::string group = regex.submatch_text(i, j, &group_position);
            check(group_position >= -1 && group_position <= encoded_size,
                  "a group lies in the subject", group);
            check(group_position >= 0 || group.empty(), "a group that did not take part is empty");
            check(text.find(group) != std::string::npos, "a group is part of its match", group);
        }
    }
    static_cast<void>(regex.replace("[$1|$&|$$|$9]"));
}

}  // namespace tamsor::fuzz
