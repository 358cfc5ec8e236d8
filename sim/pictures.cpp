#include "pictures.h"

#include <algorithm>
#include <functional>

#include "image.h"
#include "text/strings.h"

namespace tamsor::sim {
namespace {

bool is_plain_name(std::string_view name) {
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-';
    });
}

// A banded picture in colours taken from the name, with the name written across it, so a
// person looking at the viewer can tell which address was shown.
Image draw_picture(std::string_view stem) {
    auto seed = static_cast<uint32_t>(std::hash<std::string_view>{}(stem));
    Rgb base{static_cast<uint8_t>(64 + seed % 160), static_cast<uint8_t>(64 + (seed >> 8) % 160),
             static_cast<uint8_t>(64 + (seed >> 16) % 160)};
    Image image(240, 160, base);
    for (int band = 0; band < 5; ++band) {
        auto shade = static_cast<uint8_t>(band * 24);
        Rgb colour{static_cast<uint8_t>(std::min(255, base.r + shade)),
                   static_cast<uint8_t>(std::max(0, base.g - shade)), base.b};
        image.fill_rect(0, band * 32, 240, 16, colour);
    }
    image.fill_rect(8, 56, 224, 48, {250, 250, 250});
    std::string label(stem.substr(0, 17));
    std::transform(label.begin(), label.end(), label.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    image.text(16, 66, label, 2, {20, 20, 20});
    return image;
}

}  // namespace

std::optional<Picture> picture_named(std::string_view name) {
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos || !is_plain_name(name.substr(0, dot))) {
        return std::nullopt;
    }
    std::string_view stem = name.substr(0, dot);
    std::string extension = to_lower_ascii(name.substr(dot + 1));
    if (extension == "png") {
        return Picture{"image/png", encode_png(draw_picture(stem))};
    }
    if (extension == "jpg" || extension == "jpeg") {
        return Picture{"image/jpeg", encode_jpeg(draw_picture(stem))};
    }
    if (extension == "gif") {
        return Picture{"image/gif", encode_gif(draw_picture(stem))};
    }
    return std::nullopt;
}

std::string new_captcha_code(std::mt19937& random) {
    static constexpr std::string_view kAlphabet = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::string code(4 + random() % 2, ' ');
    for (char& c : code) {
        c = kAlphabet[random() % kAlphabet.size()];
    }
    return code;
}

std::string captcha_png(std::string_view code, std::mt19937& random) {
    constexpr int kScale = 4;
    Image image(150, 50, {236, 240, 232});
    auto pick = [&random](int low, int high) {
        return low + static_cast<int>(random() % (high - low + 1));
    };
    for (int i = 0; i < 3; ++i) {
        auto grey = static_cast<uint8_t>(pick(150, 200));
        image.line(pick(0, 149), pick(0, 49), pick(0, 149), pick(0, 49), {grey, grey, grey});
    }
    int x = 6;
    for (char c : code) {
        Rgb ink{static_cast<uint8_t>(pick(0, 90)), static_cast<uint8_t>(pick(0, 90)),
                static_cast<uint8_t>(pick(40, 140))};
        image.text(x, pick(4, 50 - kGlyphHeight * kScale - 4), std::string(1, c), kScale, ink);
        x += kGlyphAdvance * kScale + 4;
    }
    for (int i = 0; i < 250; ++i) {
        auto grey = static_cast<uint8_t>(pick(90, 220));
        image.set(pick(0, 149), pick(0, 49), {grey, grey, grey});
    }
    return encode_png(image);
}

}  // namespace tamsor::sim
