#include "memory_timeout.h"

#include <cstdint>

namespace kst::commands {
namespace {

constexpr uint64_t kBaseMs = 4000;

// k in whole numbers. 15.05 / f - 5.5 with f = hz / 10^6 is (30 100 000 - 11 hz) / (2 hz):
// integer arithmetic keeps the truncation exact where the quotient is whole (700 kHz,
// 860 kHz, 100 kHz...), which floating point would round down by one. A clock of 0 Hz has
// no finite factor and waits as long as a u32 time-out allows.
uint64_t slowClockFactor(uint32_t hz) {
  if (hz == 0) return UINT32_MAX;
  const int64_t numerator = 30100000 - 11 * static_cast<int64_t>(hz);
  const int64_t denominator = 2 * static_cast<int64_t>(hz);
  return numerator < 2 * denominator ? 1 : static_cast<uint64_t>(numerator / denominator);
}

}  // namespace

uint32_t memoryTimeoutMs(const KSTInform* context, uint32_t byteCount) {
  if (context == nullptr) return static_cast<uint32_t>(kBaseMs);
  const uint64_t ms = kBaseMs + 2 * slowClockFactor(context->tclkFrequency) * (byteCount / 4);
  return ms > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ms);
}

}  // namespace kst::commands
