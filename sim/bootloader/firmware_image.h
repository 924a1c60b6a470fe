// The virtual probe's firmware image: a vector table (stack top, reset handler, the version
// in the first reserved slot) followed by a fixed pseudo-random body, so a download that
// drops or swaps a block is caught by the verification.
#pragma once

#include <cstdint>
#include <vector>

namespace ksim {

// The image of a firmware version (bytes major, minor, patch, build from the top).
std::vector<uint8_t> firmwareImage(uint32_t version);

}  // namespace ksim
