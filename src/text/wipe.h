#pragma once

#include <string>

namespace tamsor {

// Overwrites every byte the string's buffer holds, its spare capacity included, with zeros
// that the compiler may not leave out, and leaves the string empty. For secrets (the password)
// once they have served: the buffer is freed later without them.
void wipe(std::string& secret);

}  // namespace tamsor
