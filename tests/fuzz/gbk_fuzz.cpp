// Bytes from the forum decoded, and text of the user's encoded, at the GBK border.
#include "fuzz_support.h"
#include "text/gbk.h"
#include "text/strings.h"

using namespace tamsor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::input_bytes(data, size);

    // Whatever a page holds, the program only ever sees well-formed UTF-8.
    const std::string text = gbk_to_utf8(bytes);
    fuzz::check(fuzz::is_valid_utf8(text), "decoded GBK is valid UTF-8");
    fuzz::check(page_text(bytes) == gbk_to_utf8(bytes.substr(0, bytes.find('\0'))),
                "a page is its bytes up to the first zero, decoded");

    // Text read from the forum and sent back keeps every character GBK holds; only what GBK
    // lacks (the replacement character among it) turns into "?".
    const std::string resent = gbk_to_utf8(utf8_to_gbk(text));
    fuzz::check(resent == replace_all(text, "\xEF\xBF\xBD", "?"),
                "decoded text survives encoding again", bytes);

    // The same bytes taken as (often malformed) UTF-8 typed by the user.
    const std::string encoded = utf8_to_gbk(bytes);
    fuzz::check(fuzz::is_valid_utf8(gbk_to_utf8(encoded)), "encoded text decodes cleanly");
    if (fuzz::is_valid_utf8(bytes)) {
        fuzz::check(encoded.size() <= bytes.size(), "GBK is never longer than UTF-8");
    }
    return 0;
}
