#pragma once

#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace tamsor::sim {

struct Picture {
    std::string content_type;
    std::string bytes;
};

// The picture served as "/images/<name>": drawn from the name, in the format its extension
// names (.png, .jpg/.jpeg, .gif). Nothing for other extensions or unusual names.
std::optional<Picture> picture_named(std::string_view name);

// A new captcha code: 4 or 5 upper-case letters and digits, none that a person could mistake
// for another (no 0/O, 1/I).
std::string new_captcha_code(std::mt19937& random);

// The captcha picture (PNG) showing the code, with a little noise that keeps it readable.
std::string captcha_png(std::string_view code, std::mt19937& random);

}  // namespace tamsor::sim
