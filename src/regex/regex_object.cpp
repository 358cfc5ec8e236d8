#include "regex/regex_object.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "regex/match_engine.h"
#include "text/gbk.h"
#include "text/strings.h"

namespace tamsor {
namespace {

constexpr std::string_view kQuotePlaceholder = "#引号";

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

struct RegexObject::State {
    std::string pattern;
    std::string subject;
    MatchList matches;
    // UTF-8 offset -> GB18030 offset for every start of a match or group, sorted; built on the
    // first position asked for, so walking all matches costs one pass over the subject.
    mutable std::vector<std::pair<size_t, int>> gbk_offsets;

    void clear() {
        pattern.clear();
        subject.clear();
        matches = MatchList();
        gbk_offsets.clear();
    }

    size_t stride() const { return 2 * static_cast<size_t>(matches.group_count + 1); }
    int count() const { return static_cast<int>(matches.spans.size() / stride()); }

    // Index into the spans of group j of match i (0-based, group 0 the whole match), or -1.
    long span_index(int i, int j) const {
        if (i < 0 || i >= count() || j < 0 || j > matches.group_count) {
            return -1;
        }
        return static_cast<long>(static_cast<size_t>(i) * stride() + 2 * static_cast<size_t>(j));
    }

    std::string_view span_text(size_t index) const {
        size_t start = matches.spans[index];
        if (start == MatchList::kUnset) {
            return {};
        }
        return std::string_view(subject).substr(start, matches.spans[index + 1] - start);
    }

    std::string text(int i, int j, int* position) const {
        long index = span_index(i, j);
        if (position != nullptr) {
            *position = index < 0 ? -1 : gbk_position(matches.spans[static_cast<size_t>(index)]);
        }
        return index < 0 ? std::string() : std::string(span_text(static_cast<size_t>(index)));
    }

    int gbk_position(size_t utf8_offset) const {
        if (utf8_offset == MatchList::kUnset) {
            return -1;
        }
        if (gbk_offsets.empty()) {
            build_gbk_offsets();
        }
        auto found = std::lower_bound(gbk_offsets.begin(), gbk_offsets.end(),
                                      std::pair<size_t, int>(utf8_offset, 0));
        return found != gbk_offsets.end() && found->first == utf8_offset ? found->second : -1;
    }

    // Converting the pieces between consecutive offsets gives the same lengths as converting
    // every prefix, because the offsets are character boundaries and the conversion keeps no
    // state between characters.
    void build_gbk_offsets() const {
        std::vector<size_t> starts;
        for (size_t k = 0; k < matches.spans.size(); k += 2) {
            if (matches.spans[k] != MatchList::kUnset) {
                starts.push_back(matches.spans[k]);
            }
        }
        std::sort(starts.begin(), starts.end());
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        gbk_offsets.reserve(starts.size());
        size_t utf8 = 0;
        size_t gbk = 0;
        std::string_view all(subject);
        for (size_t start : starts) {
            gbk += utf8_to_gb18030(all.substr(utf8, start - utf8)).size();
            utf8 = start;
            gbk_offsets.emplace_back(start, static_cast<int>(gbk));
        }
    }

    void append_expansion(std::string_view replacement, int match, std::string& out) const;
};

// "$n" and "$nn" name a group, "$&" the whole match, "$$" a dollar sign; a "$" that starts none
// of these, or names a group the pattern does not have, is kept as it is.
void RegexObject::State::append_expansion(std::string_view replacement, int match,
                                          std::string& out) const {
    auto group_text = [&](int j) { return span_text(static_cast<size_t>(span_index(match, j))); };
    size_t k = 0;
    while (k < replacement.size()) {
        char c = replacement[k];
        char next = k + 1 < replacement.size() ? replacement[k + 1] : '\0';
        if (c != '$' || (next != '$' && next != '&' && !is_digit(next))) {
            out += c;
            ++k;
        } else if (next == '$') {
            out += '$';
            k += 2;
        } else if (next == '&') {
            out += group_text(0);
            k += 2;
        } else {
            int one = next - '0';
            bool has_two = k + 2 < replacement.size() && is_digit(replacement[k + 2]);
            int two = has_two ? one * 10 + (replacement[k + 2] - '0') : 0;
            if (has_two && two >= 1 && two <= matches.group_count) {
                out += group_text(two);
                k += 3;
            } else if (one >= 1 && one <= matches.group_count) {
                out += group_text(one);
                k += 2;
            } else {
                out += '$';
                ++k;
            }
        }
    }
}

RegexObject::RegexObject() : state_(std::make_unique<State>()) {}

RegexObject::~RegexObject() = default;

bool RegexObject::execute(std::string_view pattern, std::string_view subject, bool case_sensitive,
                          bool multiline, bool global, bool quote_placeholders) {
    State& state = *state_;
    state.clear();
    std::string prepared =
        quote_placeholders ? replace_all(pattern, kQuotePlaceholder, "\"") : std::string(pattern);
    std::optional<MatchList> found =
        find_matches(prepared, subject, MatchOptions{case_sensitive, multiline, global});
    if (!found) {
        return false;
    }
    state.pattern = std::move(prepared);
    state.subject = std::string(subject);
    state.matches = std::move(*found);
    return true;
}

std::string RegexObject::pattern() const {
    return state_->pattern;
}

std::string RegexObject::replace(std::string_view replacement) const {
    const State& state = *state_;
    std::string out;
    size_t copied = 0;
    for (int i = 0; i < state.count(); ++i) {
        size_t index = static_cast<size_t>(state.span_index(i, 0));
        out.append(state.subject, copied, state.matches.spans[index] - copied);
        state.append_expansion(replacement, i, out);
        copied = state.matches.spans[index + 1];
    }
    out.append(state.subject, copied);
    return out;
}

int RegexObject::match_count() const {
    return state_->count();
}

std::string RegexObject::match_text(int i, int* position) const {
    return state_->text(i - 1, 0, position);
}

std::string RegexObject::submatch_text(int i, int j, int* position) const {
    // Group 0 is the match itself, which callers reach through match_text.
    return state_->text(i - 1, j < 1 ? -1 : j, position);
}

int RegexObject::submatch_count() const {
    return state_->count() > 0 ? state_->matches.group_count : 0;
}

}  // namespace tamsor
