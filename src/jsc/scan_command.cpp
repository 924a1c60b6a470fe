#include "scan_command.h"

#include "controller_handle.h"
#include "result_codes.h"
#include "scan_path.h"

namespace kst::jsc {
namespace {

bool fits16(uint32_t value) {
  return value <= UINT16_MAX;
}

}  // namespace

int32_t jtagProbe(JscHandle* handle, KSTInform*& probe) {
  if (handle == nullptr) return kBadArgument;
  const SharedController* record = controllerOf(handle);
  if (record == nullptr) return kBadArgument;
  if (record->swdConnected) return kSwdConnected;
  probe = record->chain.probe;
  return kOk;
}

int32_t scanFields(const JscHandle& handle, const PathDescriptor* path, uint32_t tclkValue,
                   uint32_t bits, uint32_t repeat, ScanFields& fields) {
  if (const int32_t result = checkPath(path)) return result;
  Ambles ambles{};
  if (const int32_t result = ambleCounts(handle, *path, ambles)) return result;
  uint32_t tclk = 0;
  if (const int32_t result = tclkCount(handle, *path, tclkValue, tclk)) return result;
  if (!fits16(bits) || !fits16(repeat) || !fits16(ambles.first) || !fits16(ambles.second) ||
      !fits16(tclk))
    return kBadArgument;
  fields.bits = static_cast<uint16_t>(bits);
  fields.shiftState = scanStateOf(*path);
  fields.startMode = static_cast<uint8_t>(path->startPathMode);
  fields.endState = static_cast<uint8_t>(path->endState);
  fields.endMode = static_cast<uint8_t>(path->endPathMode);
  fields.firstAmble = static_cast<uint16_t>(ambles.first);
  fields.secondAmble = static_cast<uint16_t>(ambles.second);
  fields.tclkCount = static_cast<uint16_t>(tclk);
  fields.repeat = static_cast<uint16_t>(repeat);
  return kOk;
}

uint32_t saturatedProduct(uint32_t a, uint32_t b) {
  const uint64_t product = uint64_t{a} * b;
  return product > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(product);
}

}  // namespace kst::jsc
