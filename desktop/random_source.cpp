#include "desktop/random_source.h"

#include <random>

namespace haberon {

namespace {

std::mt19937 engine;

}  // namespace

double NextUniform() {
    return static_cast<double>(engine()) / 4294967296.0;
}

std::uint8_t NextTestByte() {
    return static_cast<std::uint8_t>(255.0 * NextUniform() + 1.0);
}

}  // namespace haberon
