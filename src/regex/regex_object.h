#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tamsor {

// The program's pattern matcher: ECMAScript-like syntax over UTF-8 text (PCRE2 with JIT).
// Indices are 1-based. Positions are 0-based byte offsets into the subject as the forum writes
// it, in GB18030: for a page sent in GBK or GB18030 that is the page's own bytes (two for a GBK
// character, four for a character beyond GBK); a page sent in UTF-8 gives the positions the same
// text has in GB18030, so a position does not depend on the charset a page came in. The offsets
// are those of the text re-encoded, so two kinds of byte in a GBK page shift the positions after
// them: a lone 0x80 (GBK's euro sign, two bytes in GB18030) by one, and a byte decoding could not
// read (U+FFFD, four bytes in GB18030) by three.
// An object belongs to the thread that uses it; it is not synchronised.
class RegexObject {
public:
    RegexObject();
    virtual ~RegexObject();
    RegexObject(const RegexObject&) = delete;
    RegexObject& operator=(const RegexObject&) = delete;

    // Runs the pattern over the subject and keeps the matches. False for an invalid pattern
    // (and then no matches are kept). "#引号" in the pattern stands for a double quote when
    // quote_placeholders is true.
    virtual bool execute(std::string_view pattern, std::string_view subject,
                         bool case_sensitive = false, bool multiline = true, bool global = true,
                         bool quote_placeholders = false);

    // The pattern of the last successful execute, "" before one.
    virtual std::string pattern() const;

    // The stored subject with every match replaced; "$n" stands for group n, "$&" for the match.
    virtual std::string replace(std::string_view replacement) const;

    virtual int match_count() const;

    // Text of match i (1-based); "" when out of range. `position` receives its byte offset.
    virtual std::string match_text(int i, int* position = nullptr) const;

    // Text of group j of match i (both 1-based); "" when out of range or the group did not take
    // part. `position` receives the group's own byte offset (-1 when it did not take part).
    virtual std::string submatch_text(int i, int j, int* position = nullptr) const;

    // Number of capture groups of the first match; 0 without matches.
    virtual int submatch_count() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tamsor
