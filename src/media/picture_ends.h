#pragma once

#include <string_view>

// Whether picture data arrived whole. The JPEG and GIF readers fill in whatever is missing and
// report success, so a picture cut short in transfer would be shown as if it were whole.
namespace tamsor {

// False for a JPEG whose end-of-image marker is never reached, and for a GIF that ends inside
// a block or before its first image. Other data is left to its reader.
bool picture_arrived_whole(std::string_view data);

// Walks a JPEG's segments and scans and tells whether its end-of-image marker is reached.
// Segments are skipped by their lengths, so an embedded thumbnail's own end marker does not
// count; bytes after the end marker are allowed.
bool jpeg_reaches_its_end(std::string_view data);

// Walks a GIF's blocks: whole when the trailer is reached, or when the data ends right after a
// block once at least one image is whole (some writers leave the trailer out). A cut inside an
// image, an extension or the colour table is not whole.
bool gif_ends_between_blocks(std::string_view data);

}  // namespace tamsor
