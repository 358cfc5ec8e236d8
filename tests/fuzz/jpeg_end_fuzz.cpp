// The walk over a picture's JPEG segments that tells whether it arrived whole: lengths and
// markers in it come from a stranger's server.
#include "fuzz_support.h"
#include "ui/jpeg_end.h"

using namespace tamsor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::input_bytes(data, size);
    const bool whole = ui::jpeg_reaches_its_end(bytes);
    // The walk reads forward only: more bytes after the end marker never lose it, and what a
    // cut one byte shorter reached, the whole data reaches too.
    if (whole) {
        fuzz::check(ui::jpeg_reaches_its_end(std::string(bytes) + "\xFF\xD8"),
                    "a trailer keeps the end");
    }
    if (!bytes.empty() && ui::jpeg_reaches_its_end(bytes.substr(0, size - 1))) {
        fuzz::check(whole, "a longer cut keeps the end it reached");
    }
    return 0;
}
