#include "regex/dialect.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tamsor {
namespace {

// A character that is not one of ECMAScript's line terminators: LF, CR, U+2028 and U+2029.
constexpr std::string_view kNotLineEnd = R"([^\n\r\x{2028}\x{2029}])";

// ECMAScript's white space and line terminators, as class items: "\s" is this set, "\S" the rest.
constexpr std::string_view kSpaceItems =
    R"(\t\n\x{b}\f\r\x{20}\x{a0}\x{1680}\x{2000}-\x{200a}\x{2028}\x{2029}\x{202f}\x{205f})"
    R"(\x{3000}\x{feff})";
constexpr std::string_view kNonSpaceItems =
    R"(\x{0}-\x{8}\x{e}-\x{1f}\x{21}-\x{9f}\x{a1}-\x{167f}\x{1681}-\x{1fff}\x{200b}-\x{2027})"
    R"(\x{202a}-\x{202e}\x{2030}-\x{205e}\x{2060}-\x{2fff}\x{3001}-\x{fefe}\x{ff00}-\x{10ffff})";

constexpr uint32_t kNoCode = 0xFFFFFFFF;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int hex_value(char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool is_surrogate(uint32_t code) {
    return code >= 0xD800 && code <= 0xDFFF;
}

std::string hex_escape(uint32_t code) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[code & 0xF]);
        code >>= 4;
    } while (code != 0);
    return "\\x{" + digits + "}";
}

// What one escape stands for: a character, a set of characters (as PCRE2 class items), only
// the backslash itself (a "\c" that names no control letter), or a character no UTF-8 text holds
// (a lone UTF-16 surrogate).
struct Escape {
    enum Kind { kCode, kSet, kBackslash, kNever } kind = kCode;
    uint32_t code = kNoCode;
    std::string_view set;

    static Escape character(uint32_t code) { return {kCode, code, {}}; }
    static Escape of_set(std::string_view set) { return {kSet, kNoCode, set}; }
    static Escape only(Kind kind) { return {kind, kNoCode, {}}; }
};

// Counts the capturing groups first: "\2" is a back reference only when the pattern has a
// second group, wherever it stands.
struct GroupCensus {
    int count = 0;
    bool named = false;
    std::vector<std::string_view> names;  // of groups 1, 2, ...; empty for a group without one
};

size_t skip_class(std::string_view pattern, size_t k) {
    ++k;
    if (k < pattern.size() && pattern[k] == '^') {
        ++k;
    }
    while (k < pattern.size() && pattern[k] != ']') {
        k += pattern[k] == '\\' ? 2 : 1;
    }
    return k;
}

GroupCensus count_groups(std::string_view pattern) {
    GroupCensus census;
    for (size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] == '\\') {
            ++k;
        } else if (pattern[k] == '[') {
            k = skip_class(pattern, k);
        } else if (pattern[k] == '(') {
            std::string_view rest = pattern.substr(k + 1);
            bool named =
                rest.starts_with("?<") && !rest.starts_with("?<=") && !rest.starts_with("?<!");
            if (named || !rest.starts_with("?")) {
                ++census.count;
                census.named = census.named || named;
                census.names.push_back(named ? rest.substr(2, rest.find('>') - 2) : "");
            }
        }
    }
    return census;
}

class Translator {
public:
    Translator(std::string_view pattern, bool multiline, Metering metering)
        : in_(pattern),
          multiline_(multiline),
          metered_(metering != Metering::none),
          scan_marked_(metering == Metering::meters_and_scan),
          groups_(count_groups(pattern)) {}

    std::optional<Pcre2Pattern> run() {
        while (k_ < in_.size() && ok_) {
            step();
        }
        if (!ok_ || !open_groups_.empty()) {
            return std::nullopt;
        }
        return Pcre2Pattern{std::move(out_), !complex_ && repeats_ <= 1};
    }

private:
    // What a quantifier that came next would repeat.
    enum class Last { kNothing, kAtom, kAssertion };

    std::string_view in_;
    bool multiline_;
    bool metered_;
    bool scan_marked_;
    GroupCensus groups_;
    size_t k_ = 0;
    std::string out_;
    bool ok_ = true;
    Last last_ = Last::kNothing;
    // Where the last atom begins in the output, and whether it matches exactly one character.
    size_t last_begin_ = 0;
    bool last_single_ = false;

    struct OpenGroup {
        size_t begin;  // in the output
        bool lookaround;
        bool lookbehind;  // which cannot be repeated
    };
    std::vector<OpenGroup> open_groups_;

    // Whether the pattern is one scan (see Pcre2Pattern): its repetitions (of more than one
    // time), and whether anything else rules it out. Before the one repetition there may only be
    // characters and plain groups, two deep at most.
    int repeats_ = 0;
    bool complex_ = false;
    bool only_characters_so_far_ = true;

    std::string meter() const { return metered_ ? std::string(kWorkMeter) : std::string(); }

    char peek(size_t ahead = 0) const { return k_ + ahead < in_.size() ? in_[k_ + ahead] : '\0'; }

    // A group, a back reference or an assertion that can be repeated is not single.
    void atom(std::string_view text, bool single = true) {
        last_begin_ = out_.size();
        last_single_ = single;
        out_ += text;
        last_ = Last::kAtom;
    }

    void assertion(std::string_view text) {
        out_ += text;
        last_ = Last::kAssertion;
        only_characters_so_far_ = false;
    }

    void step() {
        char c = in_[k_];
        switch (c) {
            case '\\':
                ++k_;
                escape();
                return;
            case '[':
                ++k_;
                char_class();
                return;
            case '(':
                ++k_;
                open_group();
                return;
            case ')':
                ++k_;
                close_group();
                return;
            case '|':
                ++k_;
                out_ += "|" + meter();
                complex_ = true;
                last_ = Last::kNothing;
                return;
            case '*':
            case '+':
            case '?':
                quantifier();
                return;
            case '{':
                if (braces_length() > 0) {
                    quantifier();
                } else {
                    ++k_;
                    atom("\\{");
                }
                return;
            case '.':
                ++k_;
                atom(kNotLineEnd);
                return;
            case '^':
                ++k_;
                assertion(multiline_ ? "(?<![^\\n\\r\\x{2028}\\x{2029}])" : "^");
                return;
            case '$':
                ++k_;
                assertion(multiline_ ? "(?![^\\n\\r\\x{2028}\\x{2029}])" : "\\z");
                return;
            default:
                literal();
        }
    }

    // A character as it stands. Punctuation gets a backslash (PCRE2 reads some of it, such as
    // "]", "}" or "#", as syntax in places ECMAScript does not), control characters an escape.
    void literal() {
        auto c = static_cast<unsigned char>(in_[k_]);
        if (c >= 0x80) {
            size_t start = k_;
            ++k_;
            while (k_ < in_.size() && (static_cast<unsigned char>(in_[k_]) & 0xC0) == 0x80) {
                ++k_;
            }
            atom(in_.substr(start, k_ - start));
            return;
        }
        ++k_;
        if (is_letter(static_cast<char>(c)) || is_digit(static_cast<char>(c))) {
            atom(std::string(1, static_cast<char>(c)));
        } else if (c < 0x20 || c == 0x7F) {
            atom(hex_escape(c));
        } else {
            atom(std::string{'\\', static_cast<char>(c)});
        }
    }

    // The length of "{n}", "{n,}" or "{n,m}" at the current place, 0 when there is none (then
    // "{" is a plain character).
    size_t braces_length() const {
        size_t k = k_ + 1;
        auto digits = [&] {
            size_t start = k;
            while (k < in_.size() && is_digit(in_[k])) {
                ++k;
            }
            return k > start;
        };
        if (!digits()) {
            return 0;
        }
        if (k < in_.size() && in_[k] == ',') {
            ++k;
            digits();
        }
        return k < in_.size() && in_[k] == '}' ? k + 1 - k_ : 0;
    }

    bool at_quantifier() const {
        char c = peek();
        return c == '*' || c == '+' || c == '?' || (c == '{' && braces_length() > 0);
    }

    // The most times the quantifier at the current place lets its item repeat; 0 for no limit.
    unsigned long most_repeats(std::string_view quantifier) const {
        if (quantifier == "?") {
            return 1;
        }
        size_t comma = quantifier.find(',');
        if (quantifier[0] != '{' ||
            (comma != std::string_view::npos && comma + 2 == quantifier.size())) {
            return 0;  // "*", "+", "{n,}"
        }
        unsigned long most = 0;
        for (size_t k = comma == std::string_view::npos ? 1 : comma + 1; is_digit(quantifier[k]);
             ++k) {
            most = std::min(most * 10 + static_cast<unsigned long>(quantifier[k] - '0'), 1ul << 20);
        }
        return most == 0 ? 1 : most;  // "{0}" repeats nothing, which needs no meter either
    }

    // The meter charges the distance a match moved between two of its visits, so every
    // repetition is bracketed by two. A repeated character gets a probe before it that runs as
    // far as the repetition could, metered at both ends: neither the repetition nor its steps
    // back can go further (and a meter at each of its steps would cost ten times a step).
    // Anything else repeated is metered before it and after the quantifier, which a
    // backtracking match passes again each time it takes one repetition back.
    void quantifier() {
        if (last_ != Last::kAtom) {
            ok_ = false;
            return;
        }
        size_t length = in_[k_] == '{' ? braces_length() : 1;
        std::string_view quantifier = in_.substr(k_, length);
        k_ += length;
        bool lazy = peek() == '?';
        k_ += lazy ? 1 : 0;
        // "a*+" is possessive in PCRE2 and an error in ECMAScript.
        if (at_quantifier()) {
            ok_ = false;
            return;
        }
        unsigned long most = most_repeats(quantifier);
        if (most != 1) {
            ++repeats_;
            bool in_lookaround = std::any_of(open_groups_.begin(), open_groups_.end(),
                                             [](const OpenGroup& g) { return g.lookaround; });
            complex_ = complex_ || !last_single_ || in_lookaround || !only_characters_so_far_ ||
                       open_groups_.size() > 2;
        }
        if (!last_single_) {
            out_.insert(last_begin_, meter());
        } else if (most != 1 && metered_) {
            std::string item = out_.substr(last_begin_);
            std::string run = most == 0 ? "*+" : "{0," + std::to_string(most) + "}+";
            bool scan = scan_marked_ && most == 0;
            std::string start = scan ? "(?C" + std::to_string(kScanStart) + ")" : meter();
            std::string end = scan ? "(?C" + std::to_string(kScanEnd) + ")" : meter();
            std::string probe = item + run + end;
            if (scan && lazy) {
                // The run, unless the matcher says it knows where it ends (an assertion is
                // atomic: nothing comes back into the choice).
                probe = "(?:(?C" + std::to_string(kScanKnown) + ")|" + probe + ")";
            }
            out_.insert(last_begin_, "(?=" + start + probe + ")");
        }
        out_ += quantifier;
        out_ += lazy ? "?" : "";
        if (!last_single_) {
            out_ += meter();
        }
        last_ = Last::kNothing;
    }

    void open_group() {
        std::string_view rest = in_.substr(k_);
        bool lookbehind = false;
        size_t prefix = 0;
        if (!rest.starts_with("?")) {
            // a plain group; "(*" falls to the quantifier with nothing to repeat
        } else if (rest.starts_with("?:") || rest.starts_with("?=") || rest.starts_with("?!")) {
            prefix = 2;
        } else if (rest.starts_with("?<=") || rest.starts_with("?<!")) {
            prefix = 3;
            lookbehind = true;
        } else if (rest.starts_with("?<")) {
            prefix = rest.find('>') + 1;  // "(?<name>", which PCRE2 reads as ECMAScript does
            if (prefix == 0) {
                ok_ = false;
                return;
            }
        } else {
            ok_ = false;  // "(?i)", "(?>", "(?|", "(?C" ...: none of them ECMAScript
            return;
        }
        bool lookaround = prefix >= 2 && rest[1] != ':' && rest[1] != '<';
        lookaround = lookaround || lookbehind;
        only_characters_so_far_ = only_characters_so_far_ && !lookaround;
        open_groups_.push_back({out_.size(), lookaround, lookbehind});
        out_ += '(';
        out_ += rest.substr(0, prefix);
        k_ += prefix;
        last_ = Last::kNothing;
    }

    void close_group() {
        if (open_groups_.empty()) {
            ok_ = false;
            return;
        }
        OpenGroup group = open_groups_.back();
        open_groups_.pop_back();
        out_ += ')';
        last_begin_ = group.begin;
        last_single_ = false;
        last_ = group.lookbehind ? Last::kAssertion : Last::kAtom;
    }

    // After the backslash, outside a class.
    void escape() {
        if (k_ >= in_.size()) {
            ok_ = false;
            return;
        }
        char c = in_[k_];
        if (c == 'b' || c == 'B') {
            ++k_;
            assertion(c == 'b' ? "\\b" : "\\B");
            return;
        }
        if (c == 'k' && groups_.named) {
            size_t end = in_.find('>', k_);
            if (peek(1) != '<' || end == std::string_view::npos) {
                ok_ = false;
                return;
            }
            std::string_view name = in_.substr(k_ + 2, end - k_ - 2);
            size_t group = 0;
            while (group < groups_.names.size() && groups_.names[group] != name) {
                ++group;
            }
            atom(reference_meter(group + 1) + "\\" + std::string(in_.substr(k_, end + 1 - k_)),
                 false);
            k_ = end + 1;
            return;
        }
        if (is_digit(c) && c != '0' && back_reference()) {
            return;
        }
        Escape e = char_escape(false);
        switch (e.kind) {
            case Escape::kCode:
                atom(hex_escape(e.code));
                return;
            case Escape::kSet:
                // "\d" and "\w" as they are; the others as classes, since PCRE2's JIT code for
                // "\S", "\W" and "\D" misses non-ASCII characters when invalid UTF-8 is allowed.
                if (e.set == "\\d" || e.set == "\\w") {
                    atom(e.set);
                } else {
                    atom("[" + std::string(e.set) + "]");
                }
                return;
            case Escape::kBackslash:
                atom("\\\\");
                return;
            case Escape::kNever:
                atom("(?!)", false);
                return;
        }
    }

    // A back reference compares as many characters as its group holds: the meter before it,
    // numbered with the group, charges that many.
    std::string reference_meter(size_t group) {
        complex_ = true;
        if (!metered_) {
            return "";
        }
        return group <= kLastMeteredGroup ? "(?C" + std::to_string(group) + ")"
                                          : std::string(kWorkMeter);
    }

    // "\n" with n a group of the pattern; other numbers are octal or plain digits.
    bool back_reference() {
        size_t k = k_;
        long number = 0;
        while (k < in_.size() && is_digit(in_[k]) && number <= groups_.count) {
            number = number * 10 + (in_[k] - '0');
            ++k;
        }
        if (number > groups_.count || (k < in_.size() && is_digit(in_[k]))) {
            return false;
        }
        k_ = k;
        atom(reference_meter(static_cast<size_t>(number)) + "\\g{" + std::to_string(number) + "}",
             false);
        return true;
    }

    // The escapes that mean the same inside and outside a class, after the backslash.
    Escape char_escape(bool in_class) {
        char c = in_[k_++];
        switch (c) {
            case 'd':
                return Escape::of_set("\\d");
            case 'D':
                return Escape::of_set("\\D");
            case 'w':
                return Escape::of_set("\\w");
            case 'W':
                return Escape::of_set("\\W");
            case 's':
                return Escape::of_set(kSpaceItems);
            case 'S':
                return Escape::of_set(kNonSpaceItems);
            case 'f':
                return Escape::character(0x0C);
            case 'n':
                return Escape::character(0x0A);
            case 'r':
                return Escape::character(0x0D);
            case 't':
                return Escape::character(0x09);
            case 'v':
                return Escape::character(0x0B);
            case 'c':
                return control_escape(in_class);
            case 'x':
                return hex_escape_code(2);
            case 'u':
                return unicode_escape();
            default:
                break;
        }
        if (is_digit(c)) {
            --k_;
            return octal_escape();
        }
        // Any other character stands for itself.
        --k_;
        return Escape::character(next_code_point());
    }

    Escape control_escape(bool in_class) {
        char next = peek();
        if (is_letter(next) || (in_class && (is_digit(next) || next == '_'))) {
            ++k_;
            return Escape::character(static_cast<uint32_t>(next) % 32);
        }
        --k_;  // "\c" stands for a backslash, and the "c" is read again as itself
        return Escape::only(Escape::kBackslash);
    }

    // "\xhh" with exactly two hex digits, "\uhhhh" with four; otherwise the letter itself.
    Escape hex_escape_code(size_t digits) {
        uint32_t code = 0;
        for (size_t n = 0; n < digits; ++n) {
            int value = hex_value(peek(n));
            if (value < 0) {
                return Escape::character(static_cast<uint32_t>(in_[k_ - 1]));
            }
            code = code * 16 + static_cast<uint32_t>(value);
        }
        k_ += digits;
        return Escape::character(code);
    }

    // A UTF-16 unit; two that form a surrogate pair are one character.
    Escape unicode_escape() {
        Escape e = hex_escape_code(4);
        if (!is_surrogate(e.code)) {
            return e;
        }
        if (e.code <= 0xDBFF && peek() == '\\' && peek(1) == 'u') {
            size_t at = k_;
            k_ += 2;
            Escape low = hex_escape_code(4);
            if (low.code >= 0xDC00 && low.code <= 0xDFFF) {
                return Escape::character(0x10000 + ((e.code - 0xD800) << 10) + (low.code - 0xDC00));
            }
            k_ = at;
        }
        return Escape::only(Escape::kNever);
    }

    // Octal escapes of up to three digits (at most 0377); "\8" and "\9" are the digits.
    Escape octal_escape() {
        char first = in_[k_++];
        if (first == '8' || first == '9') {
            return Escape::character(static_cast<uint32_t>(first));
        }
        uint32_t code = static_cast<uint32_t>(first - '0');
        size_t most = first <= '3' ? 2 : 1;
        for (size_t n = 0; n < most && peek() >= '0' && peek() <= '7'; ++n) {
            code = code * 8 + static_cast<uint32_t>(in_[k_++] - '0');
        }
        return Escape::character(code);
    }

    // The code point of the (UTF-8) character at the current place; kNoCode when it is not well
    // formed, which PCRE2 then refuses.
    uint32_t next_code_point() {
        auto lead = static_cast<unsigned char>(in_[k_++]);
        if (lead < 0x80) {
            return lead;
        }
        size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        uint32_t code = lead & (0x7Fu >> length);
        for (size_t n = 1; n < length; ++n) {
            auto next = static_cast<unsigned char>(peek());
            if ((next & 0xC0) != 0x80) {
                return kNoCode;
            }
            code = code << 6 | (next & 0x3Fu);
            ++k_;
        }
        return code;
    }

    struct ClassItem {
        uint32_t low = kNoCode;  // kNoCode: a set
        uint32_t high = kNoCode;
        std::string_view set;
    };

    // After the "[".
    void char_class() {
        bool negated = peek() == '^';
        k_ += negated ? 1 : 0;
        std::vector<ClassItem> items;
        while (ok_ && k_ < in_.size() && in_[k_] != ']') {
            class_item(items);
        }
        if (k_ >= in_.size()) {
            ok_ = false;
            return;
        }
        ++k_;
        std::string body;
        for (const ClassItem& item : items) {
            body += item.low == kNoCode ? std::string(item.set) : code_range(item.low, item.high);
        }
        if (body.empty()) {
            // "[]" matches nothing and "[^]" any character (with the lone surrogates the class
            // may have named, which no UTF-8 text holds).
            atom(negated ? "[\\x{0}-\\x{10ffff}]" : "(?!)", negated);
            return;
        }
        atom((negated ? "[^" : "[") + body + "]");
    }

    // One character, range or set inside a class; "a-z" is a range, "\d-z" three items.
    void class_item(std::vector<ClassItem>& items) {
        ClassItem first = class_atom();
        if (peek() != '-' || peek(1) == ']' || k_ + 1 >= in_.size()) {
            items.push_back(first);
            return;
        }
        ++k_;
        ClassItem second = class_atom();
        if (first.low == kNoCode || second.low == kNoCode) {
            items.push_back(first);
            items.push_back(ClassItem{'-', '-', {}});
            items.push_back(second);
            return;
        }
        if (first.low > second.low) {
            ok_ = false;  // "[z-a]"
            return;
        }
        items.push_back(ClassItem{first.low, second.high, {}});
    }

    ClassItem class_atom() {
        if (in_[k_] != '\\') {
            uint32_t code = next_code_point();
            ok_ = ok_ && code != kNoCode;
            return {code, code, {}};
        }
        ++k_;
        if (k_ >= in_.size()) {
            ok_ = false;
            return {};
        }
        char c = in_[k_];
        if (c == 'b' || c == '-' || c == 'B' || c == 'k') {
            ++k_;
            uint32_t code = c == 'b' ? 0x08 : static_cast<uint32_t>(c);
            return {code, code, {}};
        }
        Escape e = char_escape(true);
        switch (e.kind) {
            case Escape::kSet:
                return {kNoCode, kNoCode, e.set};
            case Escape::kBackslash:
                return {'\\', '\\', {}};
            case Escape::kNever:
                return {0xD800, 0xD800, {}};  // kept for ranges, dropped when written
            case Escape::kCode:
                break;
        }
        return {e.code, e.code, {}};
    }

    // A range without the surrogates, which UTF-8 text never holds and PCRE2 refuses to name.
    static std::string code_range(uint32_t low, uint32_t high) {
        if (is_surrogate(low)) {
            low = 0xE000;
        }
        if (is_surrogate(high)) {
            high = 0xD7FF;
        }
        if (low > high) {
            return {};
        }
        return low == high ? hex_escape(low) : hex_escape(low) + "-" + hex_escape(high);
    }
};

}  // namespace

std::optional<Pcre2Pattern> to_pcre2_pattern(std::string_view pattern, bool multiline,
                                             Metering metering) {
    return Translator(pattern, multiline, metering).run();
}

}  // namespace tamsor
