// The uniform random source of the loopback passes. It is a Mersenne Twister (std::mt19937)
// that the program never seeds, so it starts from the engine's fixed default seed and every
// start of the program draws the same sequence. A draw is the engine's next 32-bit output
// divided by 2^32: a value in [0, 1).
//
// Threads: the user-interface thread (or the one thread of the run without a window).
#pragma once

#include <cstdint>

namespace haberon {

double NextUniform();

// A test byte from 1 to 255: the whole part of 255 * r + 1 for the next draw r.
std::uint8_t NextTestByte();

}  // namespace haberon
