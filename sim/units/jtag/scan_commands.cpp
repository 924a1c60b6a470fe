#include "jtag/scan_commands.h"

#include <algorithm>

#include "jtag/tap_controller.h"
#include "probe/firmware.h"

namespace ksim::units::jtag {
namespace {

struct ScanHead {
  uint16_t bits;
  uint8_t shiftState, startMode, endState, endMode;
  uint16_t firstAmble, secondAmble, tclkCount, repeat;
};

ScanHead readScanHead(Reader& args) {
  ScanHead head{};
  head.bits = args.u16();
  head.shiftState = args.u8();
  head.startMode = args.u8();
  head.endState = args.u8();
  head.endMode = args.u8();
  head.firstAmble = args.u16();
  head.secondAmble = args.u16();
  head.tclkCount = args.u16();
  head.repeat = args.u16();
  return head;
}

bool validHead(const ScanHead& head) {
  return (head.shiftState == static_cast<uint8_t>(TapState::ShiftDr) ||
          head.shiftState == static_cast<uint8_t>(TapState::ShiftIr)) &&
         isStateCode(head.endState) && isPathMode(head.startMode) && isPathMode(head.endMode);
}

std::size_t bytesFor(uint16_t bits) {
  return (bits + 7u) / 8u;
}

// One scan: into the shift state along the start path, the amble and data bits, out to the
// end state along the end path, then the free clocks. Ambles shift ones through an
// instruction register (BYPASS) and zeros through a data register. dataBit(i) gives the
// i-th data bit; captured bits go to capture.
template <class DataBit>
void scanOnce(JtagUnit& unit, const ScanHead& head, DataBit dataBit, uint8_t* capture) {
  const TapState shift = static_cast<TapState>(head.shiftState);
  const TapState end = static_cast<TapState>(head.endState);
  const bool ambleBit = shift == TapState::ShiftIr;
  unit.moveTo(shift, head.startMode);
  const uint32_t total = head.firstAmble + head.bits + head.secondAmble;
  for (uint32_t i = 0; i < total; ++i) {
    const bool last = i + 1 == total && end != shift;
    const bool inData = i >= head.firstAmble && i < head.firstAmble + head.bits;
    const bool tdo = unit.clock(last, inData ? dataBit(i - head.firstAmble) : ambleBit);
    if (inData && capture != nullptr && tdo) {
      const uint32_t bit = i - head.firstAmble;
      capture[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
  }
  unit.moveTo(end, head.endMode);
  unit.freeClocks(head.tclkCount);
}

bool bitOf(const uint8_t* data, uint32_t bit) {
  return (data[bit / 8] >> (bit % 8)) & 1;
}

// Checks that repeat scans at stride fit size bytes.
bool fits(const ScanHead& head, uint16_t stride, std::size_t size) {
  if (head.repeat == 0) return true;
  return static_cast<std::size_t>(head.repeat - 1) * stride + bytesFor(head.bits) <= size;
}

}  // namespace

void fixedScan(JtagUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const ScanHead head = readScanHead(args);
  const uint8_t fill = args.u8();
  if (!validHead(head)) return void(reply.result = kFirmwareBadArguments);
  for (uint16_t r = 0; r < head.repeat; ++r)
    scanOnce(
        unit, head, [&](uint32_t bit) { return (fill >> (bit % 8)) & 1; }, nullptr);
}

void sendScan(JtagUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const ScanHead head = readScanHead(args);
  const uint16_t stride = args.u16();
  const std::size_t size = args.remaining();
  const uint8_t* data = args.bytes(size);
  if (!validHead(head) || !fits(head, stride, size))
    return void(reply.result = kFirmwareBadArguments);
  for (uint16_t r = 0; r < head.repeat; ++r) {
    const uint8_t* pattern = data + static_cast<std::size_t>(r) * stride;
    scanOnce(
        unit, head, [&](uint32_t bit) { return bitOf(pattern, bit); }, nullptr);
  }
}

// The received byte count is what the host expects back; it is not in the packet, so the
// firmware answers with every repetition's capture laid out at the receive stride.
void sendReceiveScan(JtagUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const ScanHead head = readScanHead(args);
  const uint16_t sendStride = args.u16();
  const uint16_t receiveStride = args.u16();
  const std::size_t size = args.remaining();
  const uint8_t* data = args.bytes(size);
  if (!validHead(head) || !fits(head, sendStride, size))
    return void(reply.result = kFirmwareBadArguments);
  const std::size_t scanBytes = (bytesFor(head.bits) + 1) & ~std::size_t{1};
  const std::size_t received =
      head.repeat == 0 ? 0 : static_cast<std::size_t>(head.repeat - 1) * receiveStride + scanBytes;
  reply.data.assign(received, 0);
  for (uint16_t r = 0; r < head.repeat; ++r) {
    const uint8_t* pattern = data + static_cast<std::size_t>(r) * sendStride;
    std::vector<uint8_t> capture(scanBytes, 0);
    scanOnce(
        unit, head, [&](uint32_t bit) { return bitOf(pattern, bit); }, capture.data());
    std::copy(capture.begin(), capture.end(),
              reply.data.begin() + static_cast<std::ptrdiff_t>(r) * receiveStride);
  }
}

}  // namespace ksim::units::jtag
