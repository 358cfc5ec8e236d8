#include "media/picture_ends.h"

#include <cstdint>

// Plain bytes in, a yes or no out: the fuzz target links this library and nothing else.
namespace tamsor {
namespace {

// Moves past a scan's entropy-coded data to the marker that ends it. Inside a scan, 0xFF is
// followed by a stuffed zero, a restart marker or fill bytes; anything else is the next marker.
size_t end_of_scan(std::string_view data, size_t at) {
    while (true) {
        size_t ff = data.find('\xFF', at);
        if (ff == std::string_view::npos || ff + 1 >= data.size()) {
            return std::string_view::npos;
        }
        const uint8_t next = uint8_t(data[ff + 1]);
        if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
            at = ff + 2;
        } else if (next == 0xFF) {
            at = ff + 1;
        } else {
            return ff;
        }
    }
}

// Moves past a run of GIF data sub-blocks (a size byte, that many bytes, until a size of zero);
// npos when the data ends first.
size_t end_of_sub_blocks(std::string_view data, size_t at) {
    while (at < data.size()) {
        const size_t size = uint8_t(data[at++]);
        if (size == 0) {
            return at;
        }
        at += size;
    }
    return std::string_view::npos;
}

// The size of the colour table a GIF's packed field announces, if any.
size_t colour_table_size(uint8_t packed) {
    return (packed & 0x80) != 0 ? size_t(3) << ((packed & 0x07) + 1) : 0;
}

}  // namespace

bool picture_arrived_whole(std::string_view data) {
    if (data.starts_with("\xFF\xD8")) {
        return jpeg_reaches_its_end(data);
    }
    if (data.starts_with("GIF87a") || data.starts_with("GIF89a")) {
        return gif_ends_between_blocks(data);
    }
    return true;
}

bool jpeg_reaches_its_end(std::string_view data) {
    size_t at = 2;
    while (true) {
        at = data.find('\xFF', at);  // stray bytes before a marker are tolerated, as readers do
        while (at < data.size() && uint8_t(data[at]) == 0xFF) {
            ++at;
        }
        if (at >= data.size()) {
            return false;
        }
        const uint8_t marker = uint8_t(data[at++]);
        if (marker == 0xD9) {
            return true;
        }
        const bool stands_alone = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
        if (stands_alone) {
            continue;
        }
        if (at + 2 > data.size()) {
            return false;
        }
        const size_t length = size_t(uint8_t(data[at])) << 8 | uint8_t(data[at + 1]);
        if (length < 2) {
            return false;
        }
        at += length;
        if (marker == 0xDA && at < data.size()) {
            at = end_of_scan(data, at);
        }
    }
}

bool gif_ends_between_blocks(std::string_view data) {
    constexpr size_t screen_end = 13;  // signature and logical screen descriptor
    if (data.size() < screen_end) {
        return false;
    }
    size_t at = screen_end + colour_table_size(uint8_t(data[10]));
    bool image_seen = false;
    while (at < data.size()) {
        const uint8_t introducer = uint8_t(data[at++]);
        if (introducer == 0x3B) {  // trailer
            return true;
        }
        if (introducer == 0x21) {  // extension: a label, then sub-blocks
            at = end_of_sub_blocks(data, at + 1);
        } else if (introducer == 0x2C) {  // image: descriptor, colour table, code size, data
            constexpr size_t descriptor_size = 9;
            if (at + descriptor_size > data.size()) {
                return false;
            }
            at += descriptor_size + colour_table_size(uint8_t(data[at + 8])) + 1;
            at = end_of_sub_blocks(data, at);
            image_seen = at != std::string_view::npos;
        } else {
            return image_seen;  // what follows the images is not read
        }
        if (at == std::string_view::npos) {
            return false;
        }
    }
    return image_seen && at == data.size();
}

}  // namespace tamsor
