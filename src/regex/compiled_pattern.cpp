#include "regex/compiled_pattern.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "regex/dialect.h"

namespace tamsor {
namespace {

// The operations use five patterns; a few more leave room for tests and the odd caller.
constexpr size_t kCachedPatterns = 16;

std::atomic<bool> jit_failed{false};

uint32_t compile_options(const PatternKey& key) {
    // No PCRE2_UCP: \w, \d and \b stay ASCII, as in ECMAScript. No PCRE2_MULTILINE: the dialect
    // rewrites "^", "$" and "." itself, with ECMAScript's line ends.
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C;
    if (!key.case_sensitive) {
        options |= PCRE2_CASELESS;
    }
    return options;
}

pcre2_code* compile(const std::string& pattern, uint32_t options) {
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (context == nullptr) {
        return nullptr;
    }
    // With LF as the newline, no newline rule touches the rewritten pattern (it has no "."
    // and no multiline anchors), and the search never skips the LF of a CRLF.
    pcre2_set_newline(context, PCRE2_NEWLINE_LF);
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     options, &error, &error_offset, context);
    pcre2_compile_context_free(context);
    return code;
}

// MATCH_INVALID_UTF lets a subject with a stray byte still match around it. JIT code handles
// that by itself; the interpreter, given that option, checks the subject from the start offset
// to the end at every call, which is quadratic over a page with many matches. So the
// interpreter gets a subject checked once by the caller, and the option only for one that fails.
// Metered, but a one-scan pattern (see Pcre2Pattern) without meters for JIT code, which keeps
// it linear by itself, and with its scan marked for the interpreter, whose meter keeps it so.
std::optional<std::string> rewrite(const PatternKey& key) {
    std::optional<Pcre2Pattern> metered =
        to_pcre2_pattern(key.pattern, key.multiline, Metering::meters);
    if (!metered) {
        return std::nullopt;
    }
    if (metered->single_scan) {
        Metering metering = key.jit ? Metering::none : Metering::meters_and_scan;
        return to_pcre2_pattern(key.pattern, key.multiline, metering)->text;
    }
    return std::move(metered->text);
}

std::unique_ptr<CompiledPattern> build(const PatternKey& key) {
    std::optional<std::string> rewritten = rewrite(key);
    if (!rewritten) {
        return nullptr;
    }
    auto compiled = std::make_unique<CompiledPattern>();
    uint32_t options = compile_options(key);
    if (key.jit) {
        compiled->code = compile(*rewritten, options | PCRE2_MATCH_INVALID_UTF);
        compiled->jit =
            compiled->code != nullptr && pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE) == 0;
        if (compiled->code != nullptr && !compiled->jit) {
            jit_failed = true;  // the interpreter runs this code, with the option it needs
        }
    } else if (key.valid_utf) {
        compiled->code = compile(*rewritten, options);
        compiled->match_options = PCRE2_NO_UTF_CHECK;
    } else {
        compiled->code = compile(*rewritten, options | PCRE2_MATCH_INVALID_UTF);
    }
    if (compiled->code == nullptr) {
        return nullptr;
    }
    compiled->match_data = pcre2_match_data_create_from_pattern(compiled->code, nullptr);
    if (compiled->match_data == nullptr) {
        return nullptr;
    }
    uint32_t capture_count = 0;
    pcre2_pattern_info(compiled->code, PCRE2_INFO_CAPTURECOUNT, &capture_count);
    compiled->group_count = static_cast<int>(capture_count);
    return compiled;
}

struct Entry {
    std::string pattern;
    uint32_t flags = 0;
    std::unique_ptr<CompiledPattern> compiled;
};

uint32_t key_flags(const PatternKey& key) {
    return (key.case_sensitive ? 1u : 0u) | (key.multiline ? 2u : 0u) | (key.jit ? 4u : 0u) |
           (key.valid_utf ? 8u : 0u);
}

// Most recently used first. Per thread, so no lock: compiled code could be shared, but match
// data and the JIT stack could not, and the threads that match are few.
thread_local std::vector<Entry> cache;

}  // namespace

CompiledPattern::~CompiledPattern() {
    pcre2_match_data_free(match_data);
    pcre2_code_free(code);
}

CompiledPattern* compiled_pattern(const PatternKey& key) {
    const uint32_t flags = key_flags(key);
    auto found = std::find_if(cache.begin(), cache.end(), [&](const Entry& entry) {
        return entry.flags == flags && entry.pattern == key.pattern;
    });
    if (found == cache.end()) {
        std::unique_ptr<CompiledPattern> compiled = build(key);
        if (!compiled) {
            return nullptr;
        }
        if (cache.size() == kCachedPatterns) {
            cache.pop_back();
        }
        cache.insert(cache.begin(), Entry{std::string(key.pattern), flags, std::move(compiled)});
        return cache.front().compiled.get();
    }
    std::rotate(cache.begin(), found, found + 1);
    return cache.front().compiled.get();
}

bool jit_available() {
    static const bool built_in = [] {
        uint32_t jit = 0;
        return pcre2_config(PCRE2_CONFIG_JIT, &jit) >= 0 && jit == 1;
    }();
    return built_in && !jit_failed;
}

}  // namespace tamsor
