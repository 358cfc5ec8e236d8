#include "regex/match_engine.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>
#include <memory>
#include <utility>

namespace tamsor {
namespace {

static_assert(MatchList::kUnset == PCRE2_UNSET);

thread_local bool jit_enabled = true;

// Bounds for one match attempt, so that a hostile page fails a match instead of hanging it:
// the library's step limit, and 64 MB of backtracking memory instead of its 20 GB.
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
    // written for.
    uint32_t options =
        PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
    if (!case_sensitive) {
        options |= PCRE2_CASELESS;
    }
    if (multiline) {
        options |= PCRE2_MULTILINE;
    }
    return options;
}

bool is_valid_utf8(std::string_view text) {
    size_t k = 0;
    while (k < text.size()) {
        auto lead = static_cast<unsigned char>(text[k]);
        if (lead < 0x80) {
            ++k;
            continue;
        }
        size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (lead < 0xC2 || lead > 0xF4 || length > text.size() - k) {
            return false;
        }
        uint32_t code_point = lead & (0x7Fu >> length);
        for (size_t n = 1; n < length; ++n) {
            auto next = static_cast<unsigned char>(text[k + n]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code_point = code_point << 6 | (next & 0x3Fu);
        }
        uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code_point < smallest || (code_point >= 0xD800 && code_point <= 0xDFFF) ||
            code_point > 0x10FFFF) {
            return false;
        }
        k += length;
    }
    return true;
}

// The interpreter's match limit starts afresh at every start position, so a line that makes
// every start backtrack over the rest of the line costs quadratic time however low the limit
// is. Without JIT every pattern item therefore calls back here, and one execute gets this many
// steps in all: a 1 MB page with thousands of matches takes under two million.
constexpr uint64_t kInterpreterSteps = 20'000'000;

struct StepBudget {
    uint64_t left = kInterpreterSteps;
};

int count_step(pcre2_callout_block*, void* data) {
    auto* budget = static_cast<StepBudget*>(data);
    if (budget->left == 0) {
        return PCRE2_ERROR_MATCHLIMIT;
    }
    --budget->left;
    return 0;
}

// "\<" and "\>" need no rewriting: PCRE2 reads a backslash before any non-alphanumeric
// character as that character itself, inside and outside classes.
Code compile_once(std::string_view pattern, uint32_t options) {
    CompileContext context(pcre2_compile_context_create(nullptr));
    if (!context) {
        return nullptr;
    }
    // Only LF ends a line: "." matches CR, and "$" in multiline mode sits before the LF.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    return Code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                              &error, &error_offset, context.get()));
}

// A compiled pattern and the options every match with it takes.
struct Program {
    Code code;
    uint32_t match_options = 0;
};

// MATCH_INVALID_UTF lets a subject with a stray byte still match around it. JIT code handles
// that by itself; the interpreter, given that option, checks the subject from the start offset to
// the end at every call, which is quadratic over a page with many matches. So for the
// interpreter the subject is checked once, and the option kept for a subject that fails.
Program compile(std::string_view pattern, uint32_t options, std::string_view subject) {
    Code code = compile_once(pattern, options | PCRE2_MATCH_INVALID_UTF);
    if (!code || (jit_enabled && pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE) == 0)) {
        return {std::move(code), 0};
    }
    // No JIT on this platform (or no executable memory): the interpreter, with step counting.
    options |= PCRE2_AUTO_CALLOUT;
    if (!is_valid_utf8(subject)) {
        return {compile_once(pattern, options | PCRE2_MATCH_INVALID_UTF), 0};
    }
    return {compile_once(pattern, options), PCRE2_NO_UTF_CHECK};
}

// Callouts only come from code compiled for the interpreter; JIT code never calls back.
MatchContext match_context(StepBudget& budget) {
    MatchContext context(pcre2_match_context_create(nullptr));
    if (context) {
        pcre2_set_match_limit(context.get(), kMatchLimit);
        pcre2_set_depth_limit(context.get(), kDepthLimit);
        pcre2_set_heap_limit(context.get(), kHeapLimitKiB);
        pcre2_set_callout(context.get(), count_step, &budget);
        pcre2_jit_stack_assign(context.get(), nullptr, thread_jit_stack());
    }
    return context;
}

}  // namespace

std::optional<MatchList> find_matches(std::string_view pattern, std::string_view subject,
                                      const MatchOptions& options) {
    Program program =
        compile(pattern, compile_options(options.case_sensitive, options.multiline), subject);
    const Code& code = program.code;
    StepBudget budget;
    MatchContext context = match_context(budget);
    MatchData data(code ? pcre2_match_data_create_from_pattern(code.get(), nullptr) : nullptr);
    if (!code || !context || !data) {
        return std::nullopt;
    }
    uint32_t capture_count = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &capture_count);
    MatchList matches;
    matches.group_count = static_cast<int>(capture_count);
    const size_t stride = 2 * (capture_count + 1);

    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    size_t length = subject.size();
    size_t start = 0;
    uint32_t flags = 0;
    while (start <= length) {
        int result = pcre2_match(code.get(), text, length, start, flags | program.match_options,
                                 data.get(), context.get());
        if (result < 0) {
            // No further match, or a limit was hit: the matches found so far stand.
            break;
        }
        // Pairs past the highest group that took part read PCRE2_UNSET.
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        matches.spans.insert(matches.spans.end(), ovector, ovector + stride);
        if (!options.global) {
            break;
        }
        // After an empty match, the next one is a non-empty match at the same place or else
        // any match from the next character on, which is what one unanchored search forbidding
        // only an empty match at its start finds. (An anchored retry would leave JIT for the
        // interpreter, which checks the UTF-8 of the rest of the subject at every call.)
        flags = ovector[0] == ovector[1] ? PCRE2_NOTEMPTY_ATSTART : 0;
        start = ovector[1];
    }
    return matches;
}

void set_regex_jit_enabled(bool enabled) {
    jit_enabled = enabled;
}

}  // namespace tamsor
