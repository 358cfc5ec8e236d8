#pragma once

#include <string>
#include <string_view>

namespace tamsor {

// Percent-encodes a form value: the UTF-8 text is encoded to GBK and every GBK byte other than
// "-", ".", digits and ASCII letters becomes "%XX" (upper-case hex). A space is "%20", never "+".
std::string url_encode(std::string_view text);

// The bytes with every one that `keep` refuses written as "%XX" (upper-case hex).
std::string percent_encode(std::string_view bytes, bool (*keep)(unsigned char byte));

}  // namespace tamsor
