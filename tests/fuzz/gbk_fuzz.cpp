// Bytes from the forum decoded, and text of the user's encoded, at the charset border.
#include "fuzz_support.h"
#include "text/charset.h"
#include "text/gbk.h"

using namespace tamsor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::input_bytes(data, size);

    // Whatever a page holds, in whichever charset, the program only ever sees well-formed UTF-8.
    const std::string text = gb18030_to_utf8(bytes);
    fuzz::check(fuzz::is_valid_utf8(text), "decoded GB18030 is valid UTF-8");
    fuzz::check(fuzz::is_valid_utf8(decode_page(bytes, "text/html; charset=utf-8")),
                "a page read as UTF-8 is valid UTF-8");
    const std::string_view page = bytes.substr(0, bytes.find('\0'));
    if (page_charset(page, "") == PageCharset::gb18030) {
        fuzz::check(decode_page(bytes, "") == gb18030_to_utf8(page),
                    "a page is its bytes up to the first zero, decoded");
    }

    // Every character has a GB18030 code, so text read from the forum comes back unchanged.
    fuzz::check(gb18030_to_utf8(utf8_to_gb18030(text)) == text,
                "decoded text survives encoding again", bytes);

    // The same bytes taken as (often malformed) UTF-8 typed by the user.
    const std::string encoded = utf8_to_gbk(bytes);
    fuzz::check(fuzz::is_valid_utf8(gb18030_to_utf8(encoded)), "encoded text decodes cleanly");
    if (fuzz::is_valid_utf8(bytes)) {
        fuzz::check(encoded.size() <= bytes.size(), "GBK is never longer than UTF-8");
    }
    return 0;
}
