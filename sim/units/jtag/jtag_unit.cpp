// The JTAG unit's test clock and its commands other than the scans.
#include "jtag/jtag_unit.h"

#include <algorithm>

#include "jtag/scan_commands.h"
#include "jtag/tap_controller.h"
#include "probe/command_codes.h"
#include "probe/firmware.h"

namespace ksim::units::jtag {
namespace {

// After this many free clocks beyond the longest register, nothing in the chain changes.
constexpr uint32_t kSettleClocks = 16;

void setTclkDelay(JtagUnit&, Firmware& firmware, Reader& args, Reply&) {
  firmware.status.tclkDelay = args.u32();
}

void setTrst(JtagUnit& unit, Firmware& firmware, Reader& args, Reply&) {
  firmware.status.trst = args.u8();
  unit.chain.setTrstAsserted(firmware.status.trst == 0);
}

void getTrst(JtagUnit&, Firmware& firmware, Reader&, Reply& reply) {
  reply.u8(firmware.status.trst);
}

void cycleTclk(JtagUnit& unit, Firmware&, Reader& args, Reply&) {
  unit.freeClocks(args.u32());
}

void getJtagState(JtagUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.u32(static_cast<uint32_t>(unit.chain.state()));
}

void gotoJtagState(JtagUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint32_t state = args.u32();
  const uint32_t mode = args.u32();
  if (!isStateCode(state) || !isPathMode(mode)) return void(reply.result = kFirmwareBadArguments);
  unit.moveTo(static_cast<TapState>(state), mode);
}

void setAmbleDelay(JtagUnit&, Firmware& firmware, Reader& args, Reply&) {
  for (uint32_t& amble : firmware.status.ambles) amble = args.u32();
}

void cjtagConnect(JtagUnit&, Firmware& firmware, Reader& args, Reply&) {
  firmware.status.cjtagConnected = true;
  firmware.status.cjtagFormat = args.u32();
}

void cjtagDisconnect(JtagUnit&, Firmware& firmware, Reader&, Reply&) {
  firmware.status.cjtagConnected = false;
}

// The router word names the TAP (by chain position) to show or hide.
void routeTap(JtagUnit& unit, Firmware& firmware, Reader& args, Reply& reply, bool select) {
  const uint32_t tap = args.u32();
  for (uint32_t& amble : firmware.status.ambles) amble = args.u32();
  args.u8();              // kind
  if (select) args.u8();  // option
  if (tap >= unit.chain.size()) return void(reply.result = kFirmwareBadArguments);
  unit.chain.setVisible(tap, select);
}

void selectTap(JtagUnit& unit, Firmware& firmware, Reader& args, Reply& reply) {
  routeTap(unit, firmware, args, reply, true);
}

void deselectTap(JtagUnit& unit, Firmware& firmware, Reader& args, Reply& reply) {
  routeTap(unit, firmware, args, reply, false);
}

void jtagConnect(JtagUnit&, Firmware& firmware, Reader& args, Reply&) {
  firmware.status.jtagConnectWord = args.u32();
  firmware.status.jtagIsolated = false;
}

constexpr CommandHandler kHandlers[] = {
    {command::kSetTclkDelay, 4, on<setTclkDelay>},
    {command::kSetTrst, 1, on<setTrst>},
    {command::kGetTrst, 0, on<getTrst>},
    {command::kCycleTclk, 4, on<cycleTclk>},
    {command::kGetJtagState, 0, on<getJtagState>},
    {command::kGotoJtagState, 8, on<gotoJtagState>},
    {command::kFixedScan, 15, on<fixedScan>},
    {command::kSendScan, kVariableArguments, on<sendScan>},
    {command::kSendReceiveScan, kVariableArguments, on<sendReceiveScan>},
    {command::kSetAmbleDelay, 16, on<setAmbleDelay>},
    {command::kCjtagConnect, 4, on<cjtagConnect>},
    {command::kCjtagDisconnect, 0, on<cjtagDisconnect>},
    {command::kSelectTap, 22, on<selectTap>},
    {command::kDeselectTap, 21, on<deselectTap>},
    {command::kJtagConnect, 4, on<jtagConnect>},
};

}  // namespace

bool JtagUnit::clock(bool tms, bool tdi) {
  ++tclkCycles;
  return chain.clock(tms, tdi);
}

void JtagUnit::moveTo(TapState to, uint32_t mode) {
  for (const bool tms : tmsPath(chain.state(), to, mode)) clock(tms);
}

void JtagUnit::freeClocks(uint32_t count) {
  const uint32_t useful = static_cast<uint32_t>(chain.longestPath()) + kSettleClocks;
  for (uint32_t i = 0; i < std::min(count, useful); ++i) clock(freeClockTms(chain.state()));
  tclkCycles += count - std::min(count, useful);
}

void JtagUnit::report(ProbeStatus& status) const {
  status.tclkCycles = tclkCycles;
  status.tapState = chain.state();
  status.tapVisible.clear();
  for (std::size_t i = 0; i < chain.size(); ++i) status.tapVisible.push_back(chain.visible(i));
}

UnitSpec unit() {
  return unitSpec<JtagUnit>("jtag", kHandlers);
}

}  // namespace ksim::units::jtag
