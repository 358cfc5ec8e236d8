#include "ui/jpeg_end.h"

#include <cstdint>

// Kept free of the toolkit, so it is fuzzed with the core.
namespace tamsor::ui {
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

}  // namespace

bool starts_jpeg(std::string_view data) {
    return data.size() >= 2 && uint8_t(data[0]) == 0xFF && uint8_t(data[1]) == 0xD8;
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

}  // namespace tamsor::ui
