#include "text/wipe.h"

#include <string.h>  // NOLINT(modernize-deprecated-headers): explicit_bzero is glibc's

namespace tamsor {

void wipe(std::string& secret) {
    // Growing to the capacity does not move the buffer, and makes the whole of it ours to write.
    secret.resize(secret.capacity());
    explicit_bzero(secret.data(), secret.size());
    secret.clear();
}

}  // namespace tamsor
