#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Pictures the simulator draws itself and the three file formats it sends them in.
namespace tamsor::sim {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

struct Image {
    Image(int width, int height, Rgb fill = {255, 255, 255});

    void set(int x, int y, Rgb colour);  // points outside the picture are ignored
    Rgb at(int x, int y) const;
    void fill_rect(int x, int y, int width, int height, Rgb colour);
    void line(int x0, int y0, int x1, int y1, Rgb colour);
    // Draws text in the built-in 5x7 font, each font pixel `scale` pixels square. Letters are
    // upper case only; characters the font lacks are left blank. Returns the x after the text.
    int text(int x, int y, std::string_view text, int scale, Rgb colour);

    int width;
    int height;
    std::vector<Rgb> pixels;
};

// Width of one character cell of the built-in font at scale 1, spacing included.
constexpr int kGlyphAdvance = 6;
constexpr int kGlyphHeight = 7;

std::string encode_png(const Image& image);
// Baseline JPEG (4:4:4, fixed quantisers, fixed-length Huffman codes).
std::string encode_jpeg(const Image& image);
// GIF with a fixed 128-colour palette, written without compression.
std::string encode_gif(const Image& image);

// Pictures of side x side pixels of one colour whose files stay small however large the side,
// in the shapes that cost a decoder most: an interlaced 8-bit RGBA PNG (read whole before it
// can be scaled) and a progressive JPEG (its coefficients are held for the whole picture) that
// carries its DC scan only.
std::string encode_plain_interlaced_png(int side);
std::string encode_plain_progressive_jpeg(int side);

}  // namespace tamsor::sim
