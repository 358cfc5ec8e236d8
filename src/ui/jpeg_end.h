#pragma once

#include <string_view>

// Whether JPEG data arrived whole. The JPEG reader fills whatever is missing with grey and
// reports success, so a picture cut short in transfer would be shown as if it were whole.
namespace tamsor::ui {

// The data begins with a JPEG start-of-image marker.
bool starts_jpeg(std::string_view data);

// Walks a JPEG's segments and scans and tells whether its end-of-image marker is reached.
// Segments are skipped by their lengths, so an embedded thumbnail's own end marker does not
// count; bytes after the end marker are allowed.
bool jpeg_reaches_its_end(std::string_view data);

}  // namespace tamsor::ui
