// Merging the cookies a response set into a caller-kept jar.
#include <set>

#include "fuzz_support.h"
#include "http/cookies.h"
#include "text/strings.h"

using namespace tamsor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string_view> args =
        fuzz::split_arguments(fuzz::input_bytes(data, size), 2);
    std::string jar(args[0]);
    std::string set(args[1]);
    const std::string old_items = replace_all(jar, " ", "");
    const std::string new_items = replace_all(set, " ", "");

    const std::string merged = merge_cookies(jar, set);
    fuzz::check(merged == jar, "the merged jar is also stored");
    fuzz::check(set == new_items, "the response's cookies lose their spaces");

    const std::vector<std::string> items = split(merged, "; ");
    for (const std::string& item : items) {
        fuzz::check(!item.empty(), "no empty cookie", merged);
        fuzz::check(!item.ends_with("=deleted"), "deleted cookies are dropped", merged);
        fuzz::check(item.find(' ') == std::string::npos, "items hold no spaces", merged);
        fuzz::check(contains(";" + new_items + ";", ";" + item + ";") ||
                        contains(";" + old_items + ";", ";" + item + ";"),
                    "every cookie came from one of the texts", item);
    }
    fuzz::check(remove_duplicate_items(merged, "; ") == merged, "no cookie twice", merged);

    // A jar merged with nothing new stays as it is, unless one response set a name twice: both
    // items are kept at first, and the next merge keeps only the first of them.
    std::set<std::string> names;
    for (const std::string& item : items) {
        names.insert(cookie_name(item));
    }
    if (names.size() == items.size()) {
        std::string again = merged;
        std::string nothing;
        fuzz::check(merge_cookies(again, nothing) == merged, "merging is stable", merged);
    }
    return 0;
}
