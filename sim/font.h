#pragma once

// A 5x7 bitmap font: upper-case letters, digits and "_.-:". Enough for captcha codes and the
// labels on the simulator's pictures.
namespace tamsor::sim {

// The seven rows of the glyph, five characters each, '#' for ink; nullptr when the font
// has no such character.
const char* const* glyph_rows(char c);

}  // namespace tamsor::sim
