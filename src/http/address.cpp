#include "http/address.h"

#include "http/form.h"
#include "text/gbk.h"

namespace tamsor {
namespace {

constexpr std::string_view kHostEnds = "/?#";

// Where the host ends: at the first "/", "?" or "#" after "scheme://", or after the start of an
// address without a scheme.
size_t host_end(std::string_view url) {
    const size_t scheme = url.find("://");
    const size_t host =
        scheme != std::string_view::npos && scheme < url.find_first_of(kHostEnds) ? scheme + 3 : 0;
    const size_t end = url.find_first_of(kHostEnds, host);
    return end == std::string_view::npos ? url.size() : end;
}

// What a request line carries as it is: printable ASCII. Spaces, controls and bytes above 0x7E
// are escaped.
bool is_printable_ascii(unsigned char byte) {
    return byte > 0x20 && byte < 0x7F;
}

}  // namespace

std::string wire_address(std::string_view url) {
    const size_t path = host_end(url);
    std::string wire(url.substr(0, path));
    wire += percent_encode(utf8_to_gbk_keeping_unmapped(url.substr(path)), &is_printable_ascii);
    return wire;
}

}  // namespace tamsor
