// The virtual probe's firmware image: a vector table (stack top, reset handler, the version
// in the first reserved slot) followed by a fixed pseudo-random body, so a download that
// drops or swaps a block is caught by the verification.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ksim {

// The image of a firmware version (bytes major, minor, patch, build from the top), 12 KiB
// unless another size (at least 32 bytes) is asked for.
std::vector<uint8_t> firmwareImage(uint32_t version, std::size_t size = 12 * 1024);

}  // namespace ksim
