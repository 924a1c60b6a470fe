// The JTAG scan commands, run against the TAP chain behind the probe.
#include <algorithm>

#include "firmware.h"
#include "tap_controller.h"

namespace ksim {
namespace {

// More clocks than this with TMS low change nothing further outside the shift states.
constexpr uint32_t kSettleClocks = 16;

void clock(ProbeState& probe, bool tms, bool tdi = true) {
  probe.chain.clock(tms, tdi);
  ++probe.status.tclkCycles;
}

void moveTo(ProbeState& probe, TapState target) {
  for (const bool tms : tmsPath(probe.chain.state(), target)) clock(probe, tms);
}

// count cycles with TMS low; shifting states shift ones. Counts that could change nothing
// more are cut short so a huge count answers at once.
void idleClocks(ProbeState& probe, uint32_t count) {
  const uint32_t useful = static_cast<uint32_t>(probe.chain.longestPath()) + kSettleClocks;
  for (uint32_t i = 0; i < std::min(count, useful); ++i) clock(probe, false);
  probe.status.tclkCycles += count - std::min(count, useful);
}

struct ScanHead {
  uint16_t bits;
  uint8_t shiftState, startMode, endState, endMode;
  uint16_t firstAmble, secondAmble, tclkCount, repeat;
};

ScanHead readScanHead(Args& args) {
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
         isStateCode(head.endState);
}

std::size_t bytesFor(uint16_t bits) {
  return (bits + 7u) / 8u;
}

// One scan: into the shift state, the amble and data bits, out to the end state and the
// extra clocks. Ambles shift ones through an instruction register (BYPASS) and zeros through
// a data register. dataBit(i) gives the i-th data bit; captured bits go to capture.
template <class DataBit>
void scanOnce(ProbeState& probe, const ScanHead& head, DataBit dataBit, uint8_t* capture) {
  const TapState shift = static_cast<TapState>(head.shiftState);
  const TapState end = static_cast<TapState>(head.endState);
  const bool ambleBit = shift == TapState::ShiftIr;
  moveTo(probe, shift);
  const uint32_t total = head.firstAmble + head.bits + head.secondAmble;
  for (uint32_t i = 0; i < total; ++i) {
    const bool last = i + 1 == total && end != shift;
    const bool inData = i >= head.firstAmble && i < head.firstAmble + head.bits;
    const bool tdo = probe.chain.clock(last, inData ? dataBit(i - head.firstAmble) : ambleBit);
    ++probe.status.tclkCycles;
    if (inData && capture != nullptr && tdo) {
      const uint32_t bit = i - head.firstAmble;
      capture[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
  }
  moveTo(probe, end);
  idleClocks(probe, head.tclkCount);
}

bool bitOf(const uint8_t* data, uint32_t bit) {
  return (data[bit / 8] >> (bit % 8)) & 1;
}

// Checks that repeat scans at stride fit size bytes.
bool fits(const ScanHead& head, uint16_t stride, std::size_t size) {
  if (head.repeat == 0) return true;
  return static_cast<std::size_t>(head.repeat - 1) * stride + bytesFor(head.bits) <= size;
}

void fixedScan(ProbeState& probe, Args& args, Reply& reply) {
  const ScanHead head = readScanHead(args);
  const uint8_t fill = args.u8();
  if (!validHead(head)) return void(reply.result = kFirmwareBadArguments);
  for (uint16_t r = 0; r < head.repeat; ++r)
    scanOnce(
        probe, head, [&](uint32_t bit) { return (fill >> (bit % 8)) & 1; }, nullptr);
}

void sendScan(ProbeState& probe, Args& args, Reply& reply) {
  const ScanHead head = readScanHead(args);
  const uint16_t stride = args.u16();
  const std::size_t size = args.remaining();
  const uint8_t* data = args.bytes(size);
  if (!validHead(head) || !fits(head, stride, size))
    return void(reply.result = kFirmwareBadArguments);
  for (uint16_t r = 0; r < head.repeat; ++r) {
    const uint8_t* pattern = data + static_cast<std::size_t>(r) * stride;
    scanOnce(
        probe, head, [&](uint32_t bit) { return bitOf(pattern, bit); }, nullptr);
  }
}

// The received byte count is what the host expects back; it is not in the packet, so the
// firmware answers with every repetition's capture laid out at the receive stride.
void sendReceiveScan(ProbeState& probe, Args& args, Reply& reply) {
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
        probe, head, [&](uint32_t bit) { return bitOf(pattern, bit); }, capture.data());
    std::copy(capture.begin(), capture.end(),
              reply.data.begin() + static_cast<std::ptrdiff_t>(r) * receiveStride);
  }
}

void setTclkDelay(ProbeState& probe, Args& args, Reply&) {
  probe.status.tclkDelay = args.u32();
}

void setTrst(ProbeState& probe, Args& args, Reply&) {
  probe.status.trst = args.u8();
  probe.chain.setTrstAsserted(probe.status.trst == 0);
}

void getTrst(ProbeState& probe, Args&, Reply& reply) {
  reply.u8(probe.status.trst);
}

void cycleTclk(ProbeState& probe, Args& args, Reply&) {
  idleClocks(probe, args.u32());
}

void getJtagState(ProbeState& probe, Args&, Reply& reply) {
  reply.u32(static_cast<uint32_t>(probe.chain.state()));
}

void gotoJtagState(ProbeState& probe, Args& args, Reply& reply) {
  const uint32_t state = args.u32();
  args.u32();  // the path mode: this firmware always takes a shortest path
  if (!isStateCode(state)) return void(reply.result = kFirmwareBadArguments);
  moveTo(probe, static_cast<TapState>(state));
}

void setAmbleDelay(ProbeState& probe, Args& args, Reply&) {
  for (uint32_t& amble : probe.status.ambles) amble = args.u32();
}

void cjtagConnect(ProbeState& probe, Args& args, Reply&) {
  probe.status.cjtagConnected = true;
  probe.status.cjtagFormat = args.u32();
}

void cjtagDisconnect(ProbeState& probe, Args&, Reply&) {
  probe.status.cjtagConnected = false;
}

// The router word names the TAP (by chain position) to show or hide.
void routeTap(ProbeState& probe, Args& args, Reply& reply, bool select) {
  const uint32_t tap = args.u32();
  for (uint32_t& amble : probe.status.ambles) amble = args.u32();
  args.u8();              // kind
  if (select) args.u8();  // option
  if (tap >= probe.chain.size()) return void(reply.result = kFirmwareBadArguments);
  probe.chain.setVisible(tap, select);
}

void selectTap(ProbeState& probe, Args& args, Reply& reply) {
  routeTap(probe, args, reply, true);
}

void deselectTap(ProbeState& probe, Args& args, Reply& reply) {
  routeTap(probe, args, reply, false);
}

void jtagConnect(ProbeState& probe, Args& args, Reply&) {
  probe.status.jtagConnectWord = args.u32();
  probe.status.jtagIsolated = false;
}

constexpr CommandHandler kHandlers[] = {
    {4, 4, setTclkDelay},
    {5, 1, setTrst},
    {6, 0, getTrst},
    {7, 4, cycleTclk},
    {8, 0, getJtagState},
    {9, 8, gotoJtagState},
    {10, 15, fixedScan},
    {11, kVariableArguments, sendScan},
    {12, kVariableArguments, sendReceiveScan},
    {13, 16, setAmbleDelay},
    {43, 4, cjtagConnect},
    {44, 0, cjtagDisconnect},
    {45, 22, selectTap},
    {46, 21, deselectTap},
    {69, 4, jtagConnect},
};

}  // namespace

HandlerTable jtagHandlers() {
  return {kHandlers, sizeof kHandlers / sizeof kHandlers[0]};
}

}  // namespace ksim
