// The probe control commands: reset and supply lines, isolation, registers, EEPROM,
// production test and properties.
#include <algorithm>

#include "firmware.h"

namespace ksim {
namespace {

// Production tests the firmware knows; each passes (result 0) on the virtual probe.
constexpr uint32_t kProductTests = 8;
constexpr uint32_t kUnknownTest = 0xFFFFFFFF;

void setSrst(ProbeState& probe, Args& args, Reply&) {
  probe.status.srst = args.u8();
}

void productTest(ProbeState&, Args& args, Reply& reply) {
  reply.u32(args.u32() < kProductTests ? 0 : kUnknownTest);
}

void registerRead(ProbeState& probe, Args& args, Reply& reply) {
  const auto found = probe.status.registers.find(args.u32());
  reply.u16(found != probe.status.registers.end() ? found->second : 0);
}

void registerWrite(ProbeState& probe, Args& args, Reply&) {
  const uint32_t address = args.u32();
  probe.status.registers[address] = args.u16();
}

void jtagIsolate(ProbeState& probe, Args&, Reply&) {
  probe.status.jtagIsolated = true;
}

void setSupply(ProbeState& probe, Args& args, Reply&) {
  probe.status.supplyMillivolts = args.u32();
  probe.status.supplyFlag = args.u8();
}

void powerIsolate(ProbeState& probe, Args& args, Reply&) {
  probe.status.powerIsolate = args.u8();
}

bool inEeprom(uint16_t address, uint16_t count) {
  return static_cast<std::size_t>(address) + count <= kEepromSize;
}

void eepromRead(ProbeState& probe, Args& args, Reply& reply) {
  const uint16_t address = args.u16();
  const uint16_t count = args.u16();
  if (!inEeprom(address, count)) return void(reply.result = kFirmwareBadArguments);
  reply.bytes(probe.eeprom.data() + address, count);
}

void eepromWrite(ProbeState& probe, Args& args, Reply& reply) {
  const uint16_t address = args.u16();
  const uint16_t count = args.u16();
  if (args.remaining() != count || !inEeprom(address, count)) {
    args.bytes(args.remaining());
    return void(reply.result = kFirmwareBadArguments);
  }
  const uint8_t* data = args.bytes(count);
  std::copy(data, data + count, probe.eeprom.begin() + address);
}

void setProperty(ProbeState& probe, Args& args, Reply&) {
  constexpr uint32_t kLoggingEnabled = 2;
  const uint32_t id = args.u32();
  const uint32_t value = args.u32();
  probe.status.properties[id] = value;
  if (id == kLoggingEnabled) probe.log.setEnabled(value != 0);
}

constexpr CommandHandler kHandlers[] = {
    {14, 1, setSrst},       {39, 4, productTest}, {41, 4, registerRead},
    {42, 6, registerWrite}, {47, 0, jtagIsolate}, {50, 5, setSupply},
    {57, 1, powerIsolate},  {63, 4, eepromRead},  {64, kVariableArguments, eepromWrite},
    {73, 8, setProperty},
};

}  // namespace

HandlerTable controlHandlers() {
  return {kHandlers, sizeof kHandlers / sizeof kHandlers[0]};
}

}  // namespace ksim
