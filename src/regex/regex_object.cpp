#include "regex/regex_object.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "text/gbk.h"
#include "text/strings.h"

namespace tamsor {
namespace {

constexpr std::string_view kQuotePlaceholder = "#引号";

// Bounds for one match attempt, so that a hostile page fails a match instead of hanging it.
// The defaults of the library (ten million steps, 20 GB of backtracking memory) are far beyond
// anything a forum page needs.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr uint32_t kDepthLimit = 1'000'000;
constexpr uint32_t kHeapLimitKiB = 64 * 1024;

constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 1024 * 1024;

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
using Code = std::unique_ptr<pcre2_code, CodeFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;

// A JIT stack may only be used by one thread at a time; one per thread lets any number of
// objects on that thread share it. Null when JIT is unavailable: matching then uses the
// interpreter, which ignores the stack.
pcre2_jit_stack* thread_jit_stack() {
    struct Holder {
        pcre2_jit_stack* stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        ~Holder() {
            if (stack != nullptr) {
                pcre2_jit_stack_free(stack);
            }
        }
    };
    thread_local Holder holder;
    return holder.stack;
}

uint32_t compile_options(bool case_sensitive, bool multiline) {
    // No PCRE2_UCP: \w, \d, \s and \b stay ASCII, as in the dialect the forum patterns were
    // written for. MATCH_INVALID_UTF lets a page with a stray byte still match around it.
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX |
                       PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
    if (!case_sensitive) {
        options |= PCRE2_CASELESS;
    }
    if (multiline) {
        options |= PCRE2_MULTILINE;
    }
    return options;
}

// "\<" and "\>" need no rewriting: PCRE2 reads a backslash before any non-alphanumeric
// character as that character itself, inside and outside classes.
Code compile(std::string_view pattern, uint32_t options) {
    CompileContext context(pcre2_compile_context_create(nullptr));
    if (!context) {
        return nullptr;
    }
    // Only LF ends a line: "." matches CR, and "$" in multiline mode sits before the LF.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    Code code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                            &error, &error_offset, context.get()));
    if (code) {
        // A failure (no JIT on this platform, no executable memory) leaves the interpreter.
        pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
    }
    return code;
}

MatchContext match_context() {
    MatchContext context(pcre2_match_context_create(nullptr));
    if (context) {
        pcre2_set_match_limit(context.get(), kMatchLimit);
        pcre2_set_depth_limit(context.get(), kDepthLimit);
        pcre2_set_heap_limit(context.get(), kHeapLimitKiB);
        pcre2_jit_stack_assign(context.get(), nullptr, thread_jit_stack());
    }
    return context;
}

// Offset of the character after the one at `offset`, stepping over a whole UTF-8 sequence
// (and over stray continuation bytes, which cannot start a match).
size_t next_character(std::string_view text, size_t offset) {
    ++offset;
    while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80) {
        ++offset;
    }
    return offset;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

struct RegexObject::State {
    std::string pattern;
    std::string subject;
    int group_count = 0;
    // Start and end offsets (UTF-8 bytes) of the match and its groups, group_count + 1 pairs
    // per match, PCRE2_UNSET for a group that did not take part.
    std::vector<size_t> spans;
    // UTF-8 offset -> GBK offset for every start in `spans`, sorted; built on the first
    // position asked for, so walking all matches costs one pass over the subject.
    mutable std::vector<std::pair<size_t, int>> gbk_offsets;

    void clear() {
        pattern.clear();
        subject.clear();
        group_count = 0;
        spans.clear();
        gbk_offsets.clear();
    }

    size_t stride() const { return 2 * static_cast<size_t>(group_count + 1); }
    int count() const { return static_cast<int>(spans.size() / stride()); }

    // Index into `spans` of group j of match i (0-based, group 0 the whole match), or -1.
    long span_index(int i, int j) const {
        if (i < 0 || i >= count() || j < 0 || j > group_count) {
            return -1;
        }
        return static_cast<long>(static_cast<size_t>(i) * stride() + 2 * static_cast<size_t>(j));
    }

    std::string_view span_text(size_t index) const {
        size_t start = spans[index];
        if (start == PCRE2_UNSET) {
            return {};
        }
        return std::string_view(subject).substr(start, spans[index + 1] - start);
    }

    std::string text(int i, int j, int* position) const {
        long index = span_index(i, j);
        if (position != nullptr) {
            *position = index < 0 ? -1 : gbk_position(spans[static_cast<size_t>(index)]);
        }
        return index < 0 ? std::string() : std::string(span_text(static_cast<size_t>(index)));
    }

    int gbk_position(size_t utf8_offset) const {
        if (utf8_offset == PCRE2_UNSET) {
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
        for (size_t k = 0; k < spans.size(); k += 2) {
            if (spans[k] != PCRE2_UNSET) {
                starts.push_back(spans[k]);
            }
        }
        std::sort(starts.begin(), starts.end());
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        gbk_offsets.reserve(starts.size());
        size_t utf8 = 0;
        size_t gbk = 0;
        std::string_view all(subject);
        for (size_t start : starts) {
            gbk += utf8_to_gbk(all.substr(utf8, start - utf8)).size();
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
            if (has_two && two >= 1 && two <= group_count) {
                out += group_text(two);
                k += 3;
            } else if (one >= 1 && one <= group_count) {
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
    Code code = compile(prepared, compile_options(case_sensitive, multiline));
    MatchContext context = match_context();
    MatchData data(code ? pcre2_match_data_create_from_pattern(code.get(), nullptr) : nullptr);
    if (!code || !context || !data) {
        return false;
    }
    uint32_t capture_count = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &capture_count);
    state.pattern = std::move(prepared);
    state.subject = std::string(subject);
    state.group_count = static_cast<int>(capture_count);

    const auto* text = reinterpret_cast<PCRE2_SPTR>(state.subject.data());
    size_t length = state.subject.size();
    size_t start = 0;
    uint32_t flags = 0;
    while (start <= length) {
        int result = pcre2_match(code.get(), text, length, start, flags, data.get(), context.get());
        if (result == PCRE2_ERROR_NOMATCH && flags != 0) {
            // Nothing but the empty match here: go on after this character.
            flags = 0;
            start = next_character(state.subject, start);
            continue;
        }
        if (result < 0) {
            // No further match, or a limit was hit: the matches found so far stand.
            break;
        }
        // Pairs past the highest group that took part read PCRE2_UNSET.
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        state.spans.insert(state.spans.end(), ovector, ovector + state.stride());
        if (!global) {
            break;
        }
        // After an empty match, first look for a non-empty one at the same place, as the
        // dialect does, instead of finding the same empty match again.
        flags = ovector[0] == ovector[1] ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
        start = ovector[1];
    }
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
        out.append(state.subject, copied, state.spans[index] - copied);
        state.append_expansion(replacement, i, out);
        copied = state.spans[index + 1];
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
    return state_->count() > 0 ? state_->group_count : 0;
}

}  // namespace tamsor
