// Byte counts computed from a caller's arguments, kept exact: a count that does not fit 32
// bits saturates, so the command builder refuses it like any other count past the packet.
#pragma once

#include <cstdint>

namespace kst::commands {

constexpr uint32_t exactCount(uint64_t count) {
  return count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
}

}  // namespace kst::commands
