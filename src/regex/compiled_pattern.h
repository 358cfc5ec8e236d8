#pragma once

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>
#include <string_view>

// Patterns compiled once per thread: the forum's few patterns run on every page, and compiling
// one (with JIT) costs more than matching it over a small page.
namespace tamsor {

struct PatternKey {
    std::string_view pattern;  // in the forum's dialect, as callers write it
    bool case_sensitive = false;
    bool multiline = true;
    bool jit = true;
    // For the interpreter: the subject is known to be well-formed UTF-8, so matches skip the
    // check. (JIT code checks as it goes, at no cost.)
    bool valid_utf = true;
};

// A compiled pattern with what matching it needs. Owned by the thread's cache.
struct CompiledPattern {
    pcre2_code* code = nullptr;
    pcre2_match_data* match_data = nullptr;
    uint32_t match_options = 0;  // passed to every pcre2_match with this code
    int group_count = 0;
    bool jit = false;

    CompiledPattern() = default;
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;
    ~CompiledPattern();
};

// The calling thread's compiled form of the pattern, compiled on first use and kept while it
// is among the last few used on the thread; valid until the thread's next call. Null for a
// pattern that does not compile.
CompiledPattern* compiled_pattern(const PatternKey& key);

// Whether JIT code can be made here. False when it is not built in, and from the first time
// compiling to JIT code failed (no executable memory, say): everything then uses the interpreter.
bool jit_available();

}  // namespace tamsor
