// The cleanup tables, the replacements they are made of, and the small text rules of the
// thread list and the post reader.
#include "forum/post_reader.h"
#include "forum/thread_list.h"
#include "fuzz_support.h"
#include "text/strings.h"

using namespace tamsor;

namespace {

// Removing or shortening ASCII markup never breaks a character and never grows the text.
void check_cleaned(std::string_view raw, const std::string& cleaned, const char* what) {
    fuzz::check(cleaned.size() <= raw.size(), what, cleaned);
    if (fuzz::is_valid_utf8(raw)) {
        fuzz::check(fuzz::is_valid_utf8(cleaned), what, cleaned);
    }
}

void check_split(std::string_view text, std::string_view delimiter, int n) {
    const std::vector<std::string> parts = split_limited(text, delimiter, n);
    if (n < 1) {
        fuzz::check(parts.empty(), "no parts below one");
        return;
    }
    fuzz::check(parts.size() == static_cast<size_t>(n), "exactly n parts");
    const std::string separator = delimiter.empty() ? "," : std::string(delimiter);
    // Joined again they are the text, followed by one delimiter per padding part.
    std::string joined = parts[0];
    for (size_t i = 1; i < parts.size(); ++i) {
        joined += separator + parts[i];
    }
    fuzz::check(joined.starts_with(text), "the parts are the text", joined);
    std::string_view padding = std::string_view(joined).substr(text.size());
    while (padding.starts_with(separator)) {
        padding.remove_prefix(separator.size());
    }
    fuzz::check(padding.empty(), "only delimiters pad the parts", joined);
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        fuzz::check(parts[i].find(separator) == std::string::npos,
                    "only the last part holds the delimiter", parts[i]);
    }
}

// The replacements the cleanups are made of, against the plainest way to write them.
void check_replacements(std::string_view text, std::string_view from) {
    if (from.empty()) {
        return;
    }
    // Long texts take the search's other way.
    if (!text.empty() && text.size() < 512) {
        std::string longer;
        while (longer.size() < 512) {
            longer += text;
        }
        check_replacements(longer, from);
    }
    for (std::string_view to :
         {std::string_view(), from.substr(0, from.size() / 2), std::string_view("<replaced>")}) {
        std::string expected;
        size_t start = 0;
        for (size_t found = text.find(from); found != std::string_view::npos;
             found = text.find(from, start)) {
            expected.append(text.substr(start, found - start)).append(to);
            start = found + from.size();
        }
        expected.append(text.substr(start));
        fuzz::check(replace_all(text, from, to) == expected, "replace_all", expected);
        std::string in_place(text);
        replace_all_in_place(in_place, from, to);
        fuzz::check(in_place == expected, "replace_all_in_place", expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const int n = static_cast<int>(data[0] % 6) - 1;
    const std::vector<std::string_view> args =
        fuzz::split_arguments(fuzz::input_bytes(data + 1, size - 1), 2);
    const std::string_view text = args[0];

    check_cleaned(text, clean_thread_title(text), "title cleanup");
    check_cleaned(text, clean_post_body(text), "body cleanup");
    check_split(text, args[1], n);
    check_replacements(text, args[1]);

    const ForumHosts hosts{"127.0.0.1:1", "127.0.0.1:2"};
    const std::optional<std::string> address = compose_post_address(hosts, text);
    if (text.empty()) {
        fuzz::check(address == std::string(), "an empty ID empties the address");
    } else if (text.find('r') == std::string_view::npos) {
        fuzz::check(!address, "an ID without r leaves the address");
    } else {
        fuzz::check(address && *address == hosts.forum_root_url() + std::string(text) + "/",
                    "an ID with r gives the post address");
    }
    return 0;
}
