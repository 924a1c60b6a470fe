#include "block_transfer.h"

namespace ksim {
namespace {

constexpr uint32_t kCswOwnBits = 0xFF;
constexpr uint64_t kIncrementBlock = 0x400;

int32_t check(DebugPort& port, const BlockRequest& request) {
  if (request.ap >= port.apCount() || request.size > 2) return kFirmwareBadArguments;
  const uint32_t bytes = 1u << request.size;
  const uint64_t space = port.ap(request.ap).config().largeAddress ? UINT64_MAX : 0xFFFFFFFFull;
  if (request.address % bytes != 0 || request.count % bytes != 0 || request.address > space ||
      (request.count != 0 && request.count - 1 > space - request.address))
    return kFirmwareBadArguments;
  return port.powered() ? 0 : kFirmwarePoweredDown;
}

bool writeTar(DebugPort& port, const BlockRequest& request, uint64_t address) {
  const bool wide = port.ap(request.ap).config().largeAddress;
  return port.apWrite(request.ap, MemAp::kTar, static_cast<uint32_t>(address)) &&
         (!wide || port.apWrite(request.ap, MemAp::kTarHigh, static_cast<uint32_t>(address >> 32)));
}

// Runs the block; element(address, offset) makes one DRW access for the bytes at offset.
template <class Element>
int32_t run(DebugPort& port, const BlockRequest& request, Element element) {
  if (const int32_t refused = check(port, request)) return refused;
  DebugPort::Nested nested(port);
  const uint32_t csw = (request.attribute & ~kCswOwnBits) | request.size |
                       (request.increment ? MemAp::kIncrementSingle : 0);
  if (!port.apWrite(request.ap, MemAp::kCsw, csw) || !writeTar(port, request, request.address))
    return kFirmwareMemoryFault;
  const uint32_t bytes = 1u << request.size;
  for (uint32_t offset = 0; offset < request.count; offset += bytes) {
    const uint64_t address = request.increment ? request.address + offset : request.address;
    if (offset != 0 && request.increment && address % kIncrementBlock == 0 &&
        !writeTar(port, request, address))
      return kFirmwareMemoryFault;
    if (!element(address, offset)) return kFirmwareMemoryFault;
  }
  return 0;
}

}  // namespace

int32_t blockRead(DebugPort& port, const BlockRequest& request, uint8_t* out) {
  const uint32_t bytes = 1u << (request.size & 3);
  return run(port, request, [&](uint64_t address, uint32_t offset) {
    uint32_t word = 0;
    if (!port.apRead(request.ap, MemAp::kDrw, word)) return false;
    const unsigned lane = static_cast<unsigned>(address & 3);
    for (uint32_t i = 0; i < bytes; ++i)
      out[offset + i] = static_cast<uint8_t>(word >> (8 * (lane + i)));
    return true;
  });
}

int32_t blockWrite(DebugPort& port, const BlockRequest& request, const uint8_t* data) {
  const uint32_t bytes = 1u << (request.size & 3);
  return run(port, request, [&](uint64_t address, uint32_t offset) {
    uint32_t word = 0;
    const unsigned lane = static_cast<unsigned>(address & 3);
    for (uint32_t i = 0; i < bytes; ++i)
      word |= static_cast<uint32_t>(data[offset + i]) << (8 * (lane + i));
    return port.apWrite(request.ap, MemAp::kDrw, word);
  });
}

}  // namespace ksim
