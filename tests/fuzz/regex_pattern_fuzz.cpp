// Patterns nobody wrote with care, over any text, with any of the options.
#include "regex_check.h"

using namespace tamsor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t options = data[0];
    const std::vector<std::string_view> args =
        fuzz::split_arguments(fuzz::input_bytes(data + 1, size - 1), 2);
    RegexObject regex;
    const bool valid =
        regex.execute(args[0], args[1], options & 1, options & 2, options & 4, options & 8);
    if (!valid) {
        fuzz::check(regex.match_count() == 0, "an invalid pattern keeps no matches");
        return 0;
    }
    fuzz::check_matches(regex, args[1]);
    return 0;
}
