#pragma once

#include <string>
#include <string_view>

// How an address goes on the wire. Addresses inside the program are UTF-8 text, most of them cut
// from pages the forum wrote in GBK; the forum names its files, and reads its query values, in
// GBK too.
namespace tamsor {

// The address as it is requested. After the host, a character outside ASCII goes out as its GBK
// bytes, percent-encoded; one that GBK cannot hold (and malformed UTF-8) as its own UTF-8 bytes,
// percent-encoded, never as a "?" that would start a query. Spaces and control characters are
// percent-encoded; every other ASCII character, escapes already in the address among them, stays
// as it is. The scheme and the host are left to the transport.
std::string wire_address(std::string_view url);

}  // namespace tamsor
