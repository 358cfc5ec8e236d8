// Holds RegexObject to ECMAScript's own RegExp (run by Node.js) on generated cases: patterns
// made of the items the forum operations use, over texts made of what forum pages hold (CRLF,
// quotes, tags, Chinese). Both of the matcher's paths, JIT and interpreter, must give what the
// reference gives: the same matches, texts, positions and groups.
//
// TAMSOR_REGEX_CASES and TAMSOR_REGEX_SEED set the number of cases and the seed; the default is
// the fixed short run ctest makes. scripts/regex-reference.sh makes a long run.
//
// Differences kept on purpose, which the generator therefore does not make:
// - Letter case: with IgnoreCase PCRE2 folds case by Unicode's rules, so "k" also matches the
//   Kelvin sign U+212A and "s" the long s U+017F; ECMAScript (without the u flag) never makes an
//   ASCII letter equal to a non-ASCII one. PCRE2 10.42 has no option for that, and every pattern
//   of the operations is case-sensitive.
// - Repeated groups: a group inside a repeated group keeps what it took in an earlier pass
//   (ECMAScript forgets it at each pass), and a pass of a repeated group that matches the empty
//   text ends the repetition (ECMAScript refuses such a pass and backtracks into it).
// - Characters outside the Basic Multilingual Plane are one character, where ECMAScript sees two
//   UTF-16 units. GBK has none of them; the few in a GB18030 page are rare characters.
// - Lookbehinds must have a fixed length, and a repetition count must be below 65536; PCRE2
//   refuses other patterns, which then match nothing.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "regex/match_engine.h"
#include "regex/regex_object.h"
#include "text/gbk.h"

namespace tamsor {
namespace {

struct Case {
    std::string pattern;
    std::string subject;
    bool ignore_case = false;
    bool multiline = true;
    bool global = true;
};

// SplitMix64: the same cases from the same seed on every machine and library.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return static_cast<size_t>(next() % n); }
    bool chance(int percent) { return below(100) < static_cast<size_t>(percent); }
    template <typename T, size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }

private:
    uint64_t state_;
};

// What forum pages are made of.
const char* const kTextPieces[] = {
    "a",      "b",    "x",      "A",      "1",  "22",
    " ",      "\t",   "\r\n",   "\r\n",   "\r", "\n",
    "\"",     "'",    "<",      ">",      "=",  "/",
    "<img ",  "src=", "</a>",   "<b>",    "图", "中文",
    "\u3000", "é",    "\u00a0", "\u2028", "ab", "<img src=\"a/图.png\">"};

// The operations' own patterns, over the same texts.
const char* const kForumPatterns[] = {R"re(\<img.*src *= *['"]*(\S+)["'].*\>)re",
                                      R"re(<b>(.*?)</a>)re", R"re(src="(.*?)")re",
                                      R"re(<img (.*?)>)re", R"re(="(.*?)" )re"};

const char* const kCharacterItems[] = {
    "a",   "b",   "x",       "A",       "1",      " ",     "\"",   "'",     "<",
    ">",   "=",   "/",       "图",      "中",     "\\<",   "\\>",  ".",     ".",
    "\\S", "\\S", "\\s",     "\\w",     "\\d",    "[^\"]", "[^<]", "['\"]", "[a-c]",
    "\\r", "\\n", "\\u4e2d", "[\\s\"]", "[^\\S]", "\\W",   "\\D"};

const char* const kQuantifiers[] = {"*", "+", "?", "*?", "+?", "??", "{1,2}", "{2}"};

// A piece of pattern, with what decides whether it may be repeated. A repeated group holds no
// group, no choice and no repetition: besides the differences at the top of the file, that keeps
// out the patterns that take exponential time to fail, which the reference would run for hours.
struct Piece {
    std::string text;
    bool empty_possible = false;
    bool complex = false;  // holds a group, a choice or a repetition
    bool repeatable = true;
};

class PatternMaker {
public:
    explicit PatternMaker(Random& random) : random_(random) {}

    std::string make() {
        if (random_.chance(10)) {
            return random_.pick(kForumPatterns);
        }
        return sequence(0).text;
    }

private:
    Random& random_;

    Piece sequence(int depth) {
        Piece all{"", true, false, true};
        size_t terms = 1 + random_.below(depth == 0 ? 4 : 3);
        for (size_t n = 0; n < terms; ++n) {
            Piece piece = term(depth);
            all.text += piece.text;
            all.empty_possible = all.empty_possible && piece.empty_possible;
            all.complex = all.complex || piece.complex;
        }
        return all;
    }

    Piece term(int depth) {
        Piece piece = atom(depth);
        if (piece.repeatable && random_.chance(50)) {
            std::string quantifier = random_.pick(kQuantifiers);
            piece.text += quantifier;
            piece.empty_possible =
                piece.empty_possible || quantifier[0] == '*' || quantifier[0] == '?';
            piece.complex = true;
        }
        return piece;
    }

    Piece atom(int depth) {
        size_t kind = random_.below(depth < 2 ? 10 : 8);
        if (kind < 7) {
            return {random_.pick(kCharacterItems), false, false, true};
        }
        if (kind == 7) {
            return {random_.chance(50) ? "^" : "$", true, false, false};
        }
        Piece inner = sequence(depth + 1);
        if (random_.chance(40)) {
            Piece other = sequence(depth + 1);
            inner.text += "|" + other.text;
            inner.empty_possible = inner.empty_possible || other.empty_possible;
            inner.complex = true;
        }
        bool capturing = random_.chance(60);
        return {(capturing ? "(" : "(?:") + inner.text + ")", inner.empty_possible, true,
                !inner.empty_possible && !inner.complex};
    }
};

std::vector<Case> make_cases(uint64_t seed, size_t count) {
    Random random(seed);
    PatternMaker patterns(random);
    std::vector<Case> cases(count);
    for (Case& c : cases) {
        c.pattern = patterns.make();
        size_t pieces = random.below(20);
        for (size_t n = 0; n < pieces; ++n) {
            c.subject += random.pick(kTextPieces);
        }
        c.ignore_case = random.chance(30);
        c.multiline = random.chance(70);
        c.global = random.chance(85);
    }
    return cases;
}

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// What the reference found for one case; spans in UTF-16 units, -1 for a group that took no
// part. Each match holds the match's span and then each group's.
struct Outcome {
    bool valid = false;
    int groups = 0;
    std::vector<std::vector<std::pair<long, long>>> matches;
};

std::vector<Outcome> run_reference(const std::vector<Case>& cases) {
    char path[] = "/tmp/tamsor-regex-cases-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) {
        return {};
    }
    close(fd);
    {
        std::ofstream out(path, std::ios::binary);
        for (const Case& c : cases) {
            out << "{\"p\":" << json_string(c.pattern) << ",\"s\":" << json_string(c.subject)
                << ",\"i\":" << c.ignore_case << ",\"m\":" << c.multiline << ",\"g\":" << c.global
                << "}\n";
        }
    }
    std::string command =
        std::string("'") + TAMSOR_NODE + "' '" + TAMSOR_REFERENCE_SCRIPT + "' '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[65536];
    size_t got = 0;
    while (pipe != nullptr && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    if (pipe != nullptr) {
        pclose(pipe);
    }
    std::remove(path);

    std::vector<Outcome> outcomes;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        Outcome outcome;
        std::istringstream numbers(line);
        size_t count = 0;
        outcome.valid = line != "error" && static_cast<bool>(numbers >> count >> outcome.groups);
        for (size_t i = 0; outcome.valid && i < count; ++i) {
            auto& spans = outcome.matches.emplace_back();
            for (int j = 0; j <= outcome.groups; ++j) {
                long start = 0;
                long end = 0;
                numbers >> start >> end;
                spans.emplace_back(start, end);
            }
        }
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

// The subject's UTF-8 offset for each UTF-16 unit (and its end).
std::vector<size_t> utf8_offsets(const std::string& text) {
    std::vector<size_t> offsets;
    for (size_t k = 0; k < text.size(); ++k) {
        auto byte = static_cast<unsigned char>(text[k]);
        if ((byte & 0xC0) != 0x80) {
            offsets.push_back(k);
            if (byte >= 0xF0) {
                offsets.push_back(k);
            }
        }
    }
    offsets.push_back(text.size());
    return offsets;
}

std::string shown(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\t' ? "\\t" : std::string(1, c);
    }
    return out;
}

// The first difference between RegexObject and the reference on one case, "" when none.
std::string difference(const Case& c, const Outcome& expected) {
    RegexObject regex;
    bool valid = regex.execute(c.pattern, c.subject, !c.ignore_case, c.multiline, c.global);
    if (valid != expected.valid) {
        return valid ? "compiles, the reference refuses it" : "refused, the reference compiles it";
    }
    if (!valid) {
        return "";
    }
    if (regex.match_count() != static_cast<int>(expected.matches.size())) {
        return "match count " + std::to_string(regex.match_count()) + ", reference " +
               std::to_string(expected.matches.size());
    }
    const std::vector<size_t> offsets = utf8_offsets(c.subject);
    auto text_of = [&](std::pair<long, long> span) {
        size_t start = offsets[static_cast<size_t>(span.first)];
        return c.subject.substr(start, offsets[static_cast<size_t>(span.second)] - start);
    };
    auto position_of = [&](std::pair<long, long> span) {
        if (span.first < 0) {
            return -1;
        }
        size_t start = offsets[static_cast<size_t>(span.first)];
        return static_cast<int>(utf8_to_gb18030(c.subject.substr(0, start)).size());
    };
    if (!expected.matches.empty() && regex.submatch_count() != expected.groups) {
        return "group count " + std::to_string(regex.submatch_count());
    }
    for (size_t i = 0; i < expected.matches.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        for (int j = 0; j <= expected.groups; ++j) {
            const auto span = expected.matches[i][static_cast<size_t>(j)];
            int position = -99;
            std::string text = j == 0 ? regex.match_text(index, &position)
                                      : regex.submatch_text(index, j, &position);
            std::string want = span.first < 0 ? "" : text_of(span);
            if (text != want || position != position_of(span)) {
                return "match " + std::to_string(index) + " group " + std::to_string(j) + ": [" +
                       shown(text) + "] at " + std::to_string(position) + ", reference [" +
                       shown(want) + "] at " + std::to_string(position_of(span));
            }
        }
    }
    return "";
}

size_t setting(const char* name, size_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::stoull(value) : fallback;
}

TEST(EcmaScriptReference, GeneratedCasesAgreeOnBothPaths) {
    if (std::string(TAMSOR_NODE).empty()) {
        GTEST_SKIP() << "node not found when the build was configured";
    }
    const size_t seed = setting("TAMSOR_REGEX_SEED", 20261208);
    const std::vector<Case> cases = make_cases(seed, setting("TAMSOR_REGEX_CASES", 3000));
    const std::vector<Outcome> expected = run_reference(cases);
    ASSERT_EQ(expected.size(), cases.size()) << "the reference did not answer every case";

    size_t with_matches = 0;
    for (const Outcome& outcome : expected) {
        with_matches += outcome.matches.empty() ? 0 : 1;
    }
    std::cout << "[ cases    ] " << cases.size() << " (seed " << seed << "), " << with_matches
              << " with matches\n";

    size_t disagreements = 0;
    for (bool jit : {true, false}) {
        set_regex_jit_enabled(jit);
        for (size_t n = 0; n < cases.size(); ++n) {
            std::string found = difference(cases[n], expected[n]);
            if (found.empty()) {
                continue;
            }
            if (++disagreements <= 20) {
                const Case& c = cases[n];
                ADD_FAILURE() << (jit ? "JIT" : "interpreter") << " case " << n << " /"
                              << shown(c.pattern) << "/" << (c.ignore_case ? "i" : "")
                              << (c.multiline ? "m" : "") << (c.global ? "g" : "") << " over \""
                              << shown(c.subject) << "\": " << found;
            }
        }
    }
    set_regex_jit_enabled(true);
    EXPECT_EQ(disagreements, 0u) << "of " << 2 * cases.size() << " runs, seed " << seed;
}

}  // namespace
}  // namespace tamsor
