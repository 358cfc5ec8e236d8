#pragma once

#include "ui/artwork.h"

// The picture buttons' looks: rounded plates with a caption and sometimes a glyph, the close
// crosses, the reserved slot, the board badge and the round fetch button.
namespace tamsor::ui::art {

// The four looks of the button, drawn for `ratio` device pixels per logical pixel.
ButtonLooks draw_button_looks(ButtonArt art, qreal ratio);

}  // namespace tamsor::ui::art
