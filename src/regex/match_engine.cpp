#include "regex/match_engine.h"

#include "regex/compiled_pattern.h"
#include "regex/dialect.h"

namespace tamsor {
namespace {

static_assert(MatchList::kUnset == PCRE2_UNSET);

thread_local bool jit_enabled = true;

// Hard limits for one start position, behind the work budget below: the library's own step
// count, and 64 MB of backtracking memory for the interpreter instead of its 20 GB.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr uint32_t kDepthLimit = 1'000'000;
constexpr uint32_t kHeapLimitKiB = 64 * 1024;

constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 1024 * 1024;

// The work one execute may do, in units of the meter below: a base and so much a byte of subject,
// so that the time stays linear in the page. PCRE2's own limits start afresh at every start
// position, so a page whose every line makes the pattern backtrack over the rest of the line
// costs (lines x limit) however low the limit is; this budget covers the whole execute, on both
// paths (where it is metered: see Pcre2Pattern). The forum's megabyte pages take under 1 unit a
// byte, the worst hostile megabyte some 55 ms on the interpreter path. One start may take half
// the budget: a start that costs more is given up and the search goes on from the next
// character, so one hostile line does not hide the lines after it. That half holds the picture
// pattern's match on a post body of one long line, which passes the line three times (to its
// end, back to the last "src", to its end again): 3 units a byte.
constexpr uint64_t kBaseBudget = 256 * 1024;
constexpr uint64_t kBudgetPerByte = 6;

// Why a match call was cut short by the meter.
constexpr int kStartTooCostly = PCRE2_ERROR_CALLOUT;

// The meter runs at each callout the rewritten pattern carries (around every repetition, at
// every alternative), which a backtracking match passes again each time it comes back. A visit
// costs about what a step over four bytes does, plus one unit for every byte the match moved
// over since the last visit (and, before a back reference, for every byte of the group it
// compares): so a greedy run over a long line costs its length.
constexpr uint64_t kVisitCost = 4;

// Where the one scan of a one-scan pattern failed (see Pcre2Pattern): a later start whose scan
// begins inside that stretch ends where it ended and tries the same places after it, so it
// fails too, and is failed at once. A scan belongs to an attempt; it is known to have failed
// when another attempt starts in the same call (a match or a given-up start ends the call).
// Where the last scan ran, whatever its attempt came to: a lazy repetition starting inside that
// stretch would scan to the same end, so its scan is skipped (kScanKnown). The lazy steps
// themselves go no further than the match, or, once in a stretch, to its end in a failed attempt
// that is then remembered.
struct ScanMemory {
    PCRE2_SIZE failed_from = PCRE2_UNSET;
    PCRE2_SIZE failed_to = 0;
    PCRE2_SIZE scanned_from = PCRE2_UNSET;
    PCRE2_SIZE scanned_to = 0;
    PCRE2_SIZE began = PCRE2_UNSET;  // the current attempt's scan
    PCRE2_SIZE ended = PCRE2_UNSET;

    bool known_to_fail(PCRE2_SIZE at) const {
        return failed_from != PCRE2_UNSET && at >= failed_from && at <= failed_to;
    }
    // Whether the scan that begins here is known, and then takes it as run.
    bool skip_known_scan() {
        if (scanned_from == PCRE2_UNSET || began < scanned_from || began > scanned_to) {
            return false;
        }
        ended = scanned_to;
        return true;
    }
    void scan_ended(PCRE2_SIZE at) {
        ended = at;
        scanned_from = began;
        scanned_to = at;
    }
    void attempt_failed() {
        if (began != PCRE2_UNSET && ended != PCRE2_UNSET) {
            failed_from = began;
            failed_to = ended;
        }
        forget_attempt();
    }
    void forget_attempt() { began = ended = PCRE2_UNSET; }
};

struct WorkMeter {
    explicit WorkMeter(size_t subject_size)
        : left(kBaseBudget + kBudgetPerByte * subject_size), start_budget(left / 2) {}

    uint64_t left;
    uint64_t start_budget;
    uint64_t start_spent = 0;
    PCRE2_SIZE start = PCRE2_UNSET;  // where the attempt being metered began
    PCRE2_SIZE position = 0;
    bool start_given_up = false;
    ScanMemory scan;

    void new_call() {
        start = PCRE2_UNSET;
        start_given_up = false;
        scan.forget_attempt();
    }

    void new_attempt(PCRE2_SIZE at) {
        if (start != PCRE2_UNSET) {
            scan.attempt_failed();
        }
        start = at;
        position = at;
        start_spent = 0;
    }

    // What the visit costs: the visit, the way moved since the last one, and the group a back
    // reference compares.
    uint64_t cost(const pcre2_callout_block& block) {
        PCRE2_SIZE now = block.current_position;
        uint64_t cost = kVisitCost + (now > position ? now - position : position - now);
        position = now;
        uint32_t group = block.callout_number;
        if (group > 0 && group <= kLastMeteredGroup && group < block.capture_top &&
            block.offset_vector[2 * group] != PCRE2_UNSET) {
            cost += block.offset_vector[2 * group + 1] - block.offset_vector[2 * group];
        }
        return cost;
    }
};

int meter_work(pcre2_callout_block* block, void* data) {
    auto& meter = *static_cast<WorkMeter*>(data);
    if (block->start_match != meter.start) {
        meter.new_attempt(block->start_match);
    }
    uint64_t cost = meter.cost(*block);
    if (cost > meter.left) {
        meter.left = 0;
        return PCRE2_ERROR_MATCHLIMIT;
    }
    meter.left -= cost;
    meter.start_spent += cost;
    if (meter.start_spent > meter.start_budget) {
        meter.start_given_up = true;
        return kStartTooCostly;
    }
    if (block->callout_number == kScanStart) {
        if (meter.scan.known_to_fail(block->current_position)) {
            return 1;  // fail here: the probe, and with it this attempt
        }
        meter.scan.began = block->current_position;
    } else if (block->callout_number == kScanKnown) {
        // 0 takes the empty choice, which skips the run; 1 runs it.
        return meter.scan.skip_known_scan() ? 0 : 1;
    } else if (block->callout_number == kScanEnd) {
        meter.scan.scan_ended(block->current_position);
    }
    return 0;
}

// A JIT stack may only be used by one thread at a time; one per thread lets any number of
// objects on that thread share it. With it, the thread's match context and its limits.
pcre2_match_context* thread_match_context() {
    struct Holder {
        pcre2_jit_stack* stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        pcre2_match_context* context = pcre2_match_context_create(nullptr);
        Holder() {
            if (context != nullptr) {
                pcre2_set_match_limit(context, kMatchLimit);
                pcre2_set_depth_limit(context, kDepthLimit);
                pcre2_set_heap_limit(context, kHeapLimitKiB);
                pcre2_jit_stack_assign(context, nullptr, stack);
            }
        }
        ~Holder() {
            pcre2_match_context_free(context);
            pcre2_jit_stack_free(stack);
        }
    };
    thread_local Holder holder;
    return holder.context;
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

// The offset of the character after the one at `at` (a stray byte counts as one character).
size_t next_character(std::string_view text, size_t at) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        ++at;
    }
    return at;
}

CompiledPattern* compiled_for(std::string_view pattern, std::string_view subject,
                              const MatchOptions& options) {
    PatternKey key{pattern, options.case_sensitive, options.multiline};
    key.jit = jit_enabled && jit_available();
    key.valid_utf = key.jit || is_valid_utf8(subject);
    return compiled_pattern(key);
}

}  // namespace

std::optional<MatchList> find_matches(std::string_view pattern, std::string_view subject,
                                      const MatchOptions& options) {
    CompiledPattern* compiled = compiled_for(pattern, subject, options);
    pcre2_match_context* context = thread_match_context();
    if (compiled == nullptr || context == nullptr) {
        return std::nullopt;
    }
    WorkMeter meter(subject.size());
    pcre2_set_callout(context, meter_work, &meter);
    MatchList matches;
    matches.group_count = compiled->group_count;
    const size_t stride = 2 * static_cast<size_t>(compiled->group_count + 1);

    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    size_t start = 0;
    while (start <= subject.size()) {
        meter.new_call();
        int result = pcre2_match(compiled->code, text, subject.size(), start,
                                 compiled->match_options, compiled->match_data, context);
        if (result == kStartTooCostly && meter.start_given_up) {
            start = next_character(subject, meter.start);
            continue;
        }
        if (result < 0) {
            // No further match, or the budget or a limit was hit: the matches found so far stand.
            break;
        }
        // Pairs past the highest group that took part read PCRE2_UNSET.
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(compiled->match_data);
        matches.spans.insert(matches.spans.end(), ovector, ovector + stride);
        if (!options.global) {
            break;
        }
        // As in ECMAScript, after an empty match the search goes on from the next character,
        // where it may find an empty match again.
        start = ovector[0] == ovector[1] ? next_character(subject, ovector[1]) : ovector[1];
    }
    pcre2_set_callout(context, nullptr, nullptr);
    return matches;
}

void set_regex_jit_enabled(bool enabled) {
    jit_enabled = enabled;
}

}  // namespace tamsor
