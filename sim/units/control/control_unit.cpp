#include "control/control_unit.h"

#include <algorithm>

#include "probe/command_codes.h"
#include "probe/firmware.h"

namespace ksim::units::control {
namespace {

// Production tests the firmware knows; each passes (result 0) on the virtual probe.
constexpr uint32_t kProductTests = 8;
constexpr uint32_t kUnknownTest = 0xFFFFFFFF;

void setSrst(ControlUnit&, Firmware& firmware, Reader& args, Reply&) {
  firmware.status.srst = args.u8();
}

void productTest(ControlUnit&, Firmware&, Reader& args, Reply& reply) {
  reply.u32(args.u32() < kProductTests ? 0 : kUnknownTest);
}

void registerRead(ControlUnit&, Firmware& firmware, Reader& args, Reply& reply) {
  const auto found = firmware.status.registers.find(args.u32());
  reply.u16(found != firmware.status.registers.end() ? found->second : 0);
}

void registerWrite(ControlUnit&, Firmware& firmware, Reader& args, Reply&) {
  const uint32_t address = args.u32();
  firmware.status.registers[address] = args.u16();
}

void jtagIsolate(ControlUnit&, Firmware& firmware, Reader&, Reply&) {
  firmware.status.jtagIsolated = true;
}

void setSupply(ControlUnit&, Firmware& firmware, Reader& args, Reply&) {
  firmware.status.supplyMillivolts = args.u32();
  firmware.status.supplyFlag = args.u8();
}

void powerIsolate(ControlUnit&, Firmware& firmware, Reader& args, Reply&) {
  firmware.status.powerIsolate = args.u8();
}

bool inEeprom(uint16_t address, uint16_t count) {
  return static_cast<std::size_t>(address) + count <= kEepromSize;
}

void eepromRead(ControlUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint16_t address = args.u16();
  const uint16_t count = args.u16();
  if (!inEeprom(address, count)) return void(reply.result = kFirmwareBadArguments);
  reply.bytes(unit.eeprom.data() + address, count);
}

void eepromWrite(ControlUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint16_t address = args.u16();
  const uint16_t count = args.u16();
  if (args.remaining() != count || !inEeprom(address, count)) {
    args.bytes(args.remaining());
    return void(reply.result = kFirmwareBadArguments);
  }
  const uint8_t* data = args.bytes(count);
  std::copy(data, data + count, unit.eeprom.begin() + address);
}

void setProperty(ControlUnit&, Firmware& firmware, Reader& args, Reply&) {
  const uint32_t id = args.u32();
  firmware.status.properties[id] = args.u32();
}

constexpr CommandHandler kHandlers[] = {
    {command::kSetSrst, 1, on<setSrst>},
    {command::kProductTest, 4, on<productTest>},
    {command::kRegisterRead, 4, on<registerRead>},
    {command::kRegisterWrite, 6, on<registerWrite>},
    {command::kJtagIsolate, 0, on<jtagIsolate>},
    {command::kSetSupply, 5, on<setSupply>},
    {command::kPowerIsolate, 1, on<powerIsolate>},
    {command::kEepromRead, 4, on<eepromRead>},
    {command::kEepromWrite, kVariableArguments, on<eepromWrite>},
    {command::kSetProperty, 8, on<setProperty>},
};

}  // namespace

UnitSpec unit() {
  return unitSpec<ControlUnit>("control", kHandlers);
}

}  // namespace ksim::units::control
