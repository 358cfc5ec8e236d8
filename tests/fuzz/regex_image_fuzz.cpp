// The post reader's picture pattern over whole post bodies: it runs on every post opened, and a
// hostile post is written to make it backtrack.
#include "forum/post_reader.h"
#include "regex_check.h"
#include "text/charset.h"

using namespace tamsor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body = decode_page(fuzz::input_bytes(data, size), "");
    RegexObject regex;
    fuzz::check(regex.execute(image_pattern, body, true, true, true), "the pattern compiles");
    fuzz::check_matches(regex, body);
    return 0;
}
