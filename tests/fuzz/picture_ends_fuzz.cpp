// The walks over a picture's JPEG segments and GIF blocks that tell whether it arrived whole:
// the lengths and markers in them come from a stranger's server.
#include "fuzz_support.h"
#include "media/picture_ends.h"

using namespace tamsor;

namespace {

// The walk reads forward only: an end marker is not lost to bytes after it, and what a cut one
// byte shorter reached, the whole data reaches too.
void check_jpeg(std::string_view picture) {
    const bool whole = jpeg_reaches_its_end(picture);
    if (whole) {
        fuzz::check(jpeg_reaches_its_end(std::string(picture) + "\xFF\xD8"),
                    "bytes after the end keep it");
    }
    if (!picture.empty() && jpeg_reaches_its_end(picture.substr(0, picture.size() - 1))) {
        fuzz::check(whole, "a longer cut keeps the end it reached");
    }
}

// A GIF that ended between blocks, or at its trailer, is whole with a trailer after it too.
void check_gif(std::string_view picture) {
    if (gif_ends_between_blocks(picture)) {
        fuzz::check(gif_ends_between_blocks(std::string(picture) + ";"),
                    "a trailer keeps a whole GIF whole");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the walk, so each sees every shape of input.
    const std::string_view picture = fuzz::input_bytes(data + 1, size - 1);
    if (data[0] % 2 == 0) {
        check_jpeg(picture);
    } else {
        check_gif(picture);
    }
    picture_arrived_whole(picture);
    return 0;
}
