#pragma once

#include <string>
#include <string_view>

#include "http/network.h"

// The forum operations' fetches answered from memory, for the benchmarks and the fuzz targets:
// an operation handed network() runs as it is, with no network in the way. Its pause returns at
// once: the profile fetch pauses before its resting text, and neither a timed reader nor a fuzzer
// should spend its time asleep.
namespace tamsor::memory_network {

// Fetches through it answer what serve() was given; anything else answers nothing, as a failed
// fetch does.
const Network& network();

// From now on a fetch of `url` answers a copy of `bytes`, as a transfer would. The bytes are
// not copied here and must stay alive while they are served.
void serve(const std::string& url, std::string_view bytes);

// Every address answers nothing again, and the count starts over.
void forget_all();

// Fetches answered with a page since forget_all.
int pages_answered();

}  // namespace tamsor::memory_network
