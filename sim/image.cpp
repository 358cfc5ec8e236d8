#include "image.h"

#include <cstdlib>

#include "font.h"

namespace tamsor::sim {

Image::Image(int width, int height, Rgb fill)
    : width(width), height(height), pixels(static_cast<size_t>(width * height), fill) {}

void Image::set(int x, int y, Rgb colour) {
    if (x >= 0 && y >= 0 && x < width && y < height) {
        pixels[static_cast<size_t>(y * width + x)] = colour;
    }
}

Rgb Image::at(int x, int y) const {
    return pixels[static_cast<size_t>(y * width + x)];
}

void Image::fill_rect(int x, int y, int w, int h, Rgb colour) {
    for (int row = y; row < y + h; ++row) {
        for (int column = x; column < x + w; ++column) {
            set(column, row, colour);
        }
    }
}

void Image::line(int x0, int y0, int x1, int y1, Rgb colour) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int step_x = x0 < x1 ? 1 : -1, step_y = y0 < y1 ? 1 : -1;
    for (int error = dx + dy;;) {
        set(x0, y0, colour);
        if (x0 == x1 && y0 == y1) {
            return;
        }
        int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += step_x;
        }
        if (twice <= dx) {
            error += dx;
            y0 += step_y;
        }
    }
}

int Image::text(int x, int y, std::string_view text, int scale, Rgb colour) {
    for (char c : text) {
        if (const char* const* rows = glyph_rows(c)) {
            for (int row = 0; row < kGlyphHeight; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (rows[row][column] == '#') {
                        fill_rect(x + column * scale, y + row * scale, scale, scale, colour);
                    }
                }
            }
        }
        x += kGlyphAdvance * scale;
    }
    return x;
}

}  // namespace tamsor::sim
