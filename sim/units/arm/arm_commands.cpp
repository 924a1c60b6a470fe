// The ARM unit's commands: CMAPI, SWD, ARMv7 and SecAP.
#include "arm/arm_unit.h"
#include "arm/block_transfer.h"
#include "log/log_unit.h"
#include "probe/command_codes.h"
#include "probe/firmware.h"

namespace ksim::units::arm {
namespace {

using namespace ksim::command;

constexpr uint8_t kDpPort = 0, kApPort = 1;
constexpr std::size_t kRegisterReply = 4;

uint64_t readAddress(Reader& args, bool wide) {
  const uint64_t low = args.u32();
  return wide ? low | static_cast<uint64_t>(args.u32()) << 32 : low;
}

// The refusal of an AP operation that did not complete.
int32_t apFailure(const ArmUnit& unit, uint8_t ap) {
  if (ap >= unit.port.apCount()) return kFirmwareBadArguments;
  return unit.port.powered() ? kFirmwareMemoryFault : kFirmwarePoweredDown;
}

// CMAPI memory: A, B, C, address, u16 count, attribute[, data].
BlockRequest cmapiBlock(Reader& args, bool wide) {
  BlockRequest request{};
  request.ap = args.u8();
  request.size = args.u8();
  request.increment = args.u8() == 0;
  request.address = readAddress(args, wide);
  request.count = args.u16();
  request.attribute = args.u32();
  return request;
}

void readBlock(ArmUnit& unit, const BlockRequest& request, Reply& reply) {
  if (request.count > kReplyDataLimit) return void(reply.result = kFirmwareBadArguments);
  if (!unit.dapConnected) return reply.refuse(kFirmwareNotConnected, request.count);
  reply.data.assign(request.count, 0);
  if (const int32_t error = blockRead(unit.port, request, reply.data.data()))
    reply.refuse(error, request.count);
}

void writeBlock(ArmUnit& unit, const BlockRequest& request, Reader& args, Reply& reply) {
  if (args.remaining() != request.count) {
    args.bytes(args.remaining());
    return void(reply.result = kFirmwareBadArguments);
  }
  const uint8_t* data = args.bytes(request.count);
  if (!unit.dapConnected) return void(reply.result = kFirmwareNotConnected);
  reply.result = blockWrite(unit.port, request, data);
}

void cmapiConnect(ArmUnit& unit, Firmware&, Reader&, Reply& reply) {
  uint32_t idcode = 0;
  if (!unit.port.powerUp()) return reply.refuse(kFirmwarePoweredDown, kRegisterReply);
  unit.port.dpRead(DebugPort::kIdcode, idcode);
  unit.dapConnected = true;
  reply.u32(idcode);
}

void cmapiDisconnect(ArmUnit& unit, Firmware&, Reader&, Reply&) {
  unit.port.powerDown();
  unit.dapConnected = false;
}

void cmapiMemRead(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  readBlock(unit, cmapiBlock(args, false), reply);
}

void cmapiMemRead64(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  readBlock(unit, cmapiBlock(args, true), reply);
}

void cmapiMemWrite(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  writeBlock(unit, cmapiBlock(args, false), args, reply);
}

void cmapiMemWrite64(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  writeBlock(unit, cmapiBlock(args, true), args, reply);
}

// A DP or AP register by port kind, AP number and byte offset.
int32_t registerAccess(ArmUnit& unit, uint8_t port, uint8_t ap, uint8_t offset, uint32_t& value,
                       bool isWrite, bool flush = false) {
  if (port == kDpPort) {
    const bool ok =
        isWrite ? unit.port.dpWrite(offset, value, flush) : unit.port.dpRead(offset, value);
    return ok ? 0 : kFirmwareBadArguments;
  }
  if (port != kApPort) return kFirmwareBadArguments;
  const bool ok =
      isWrite ? unit.port.apWrite(ap, offset, value, flush) : unit.port.apRead(ap, offset, value);
  return ok ? 0 : apFailure(unit, ap);
}

void cmapiRegRead(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t port = args.u8();
  const uint8_t ap = args.u8();
  const uint8_t offset = args.u8();
  if (!unit.dapConnected) return reply.refuse(kFirmwareNotConnected, kRegisterReply);
  uint32_t value = 0;
  if (const int32_t error = registerAccess(unit, port, ap, offset, value, false))
    return reply.refuse(error, kRegisterReply);
  reply.u32(value);
}

void cmapiRegWrite(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t port = args.u8();
  const uint8_t ap = args.u8();
  const uint8_t offset = args.u8();
  uint32_t value = args.u32();
  if (!unit.dapConnected) return void(reply.result = kFirmwareNotConnected);
  reply.result = registerAccess(unit, port, ap, offset, value, true);
}

void swdConnect(ArmUnit& unit, Firmware&, Reader&, Reply&) {
  unit.swdConnected = true;
}

void swdDisconnect(ArmUnit& unit, Firmware&, Reader&, Reply&) {
  unit.swdConnected = false;
}

void swdEnableSwo(ArmUnit& unit, Firmware&, Reader&, Reply&) {
  unit.swoEnabled = true;
}

void swdDisableSwo(ArmUnit& unit, Firmware&, Reader&, Reply&) {
  unit.swoEnabled = false;
}

// The AP and bank of an SWD AP access come from SELECT.
int32_t swdAccess(ArmUnit& unit, uint8_t port, uint8_t address, uint32_t& value, bool isWrite,
                  bool flush) {
  if (!unit.swdConnected) return kFirmwareNotConnected;
  if ((address & ~0x0Cu) != 0) return kFirmwareBadArguments;
  const uint32_t select = unit.port.select();
  const auto ap = static_cast<uint8_t>(select >> 24);
  const auto offset = static_cast<uint8_t>((select & 0xF0) | address);
  return registerAccess(unit, port, ap, port == kApPort ? offset : address, value, isWrite, flush);
}

void swdRegRead(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t port = args.u8();
  const uint8_t address = args.u8();
  uint32_t value = 0;
  if (const int32_t error = swdAccess(unit, port, address, value, false, false))
    return reply.refuse(error, kRegisterReply);
  reply.u32(value);
}

void swdRegWrite(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t port = args.u8();
  const uint8_t address = args.u8();
  uint32_t value = args.u32();
  const bool flush = args.u8() != 0;
  reply.result = swdAccess(unit, port, address, value, true, flush);
}

// ARMv7: u16 AP, u16 access bytes, u32 address, u32 attribute, u32 count.
BlockRequest armv7Block(Reader& args) {
  BlockRequest request{};
  const uint16_t ap = args.u16();
  const uint16_t bytes = args.u16();
  request.address = args.u32();
  request.attribute = args.u32();
  request.count = args.u32();
  request.increment = true;
  // Sizes and APs this firmware does not have become ones the block check refuses.
  request.ap = ap > 0xFF ? 0xFF : static_cast<uint8_t>(ap);
  request.size = bytes == 1 ? 0 : bytes == 2 ? 1 : bytes == 4 ? 2 : 3;
  return request;
}

void armv7MemRead(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  readBlock(unit, armv7Block(args), reply);
}

void armv7MemWrite(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  writeBlock(unit, armv7Block(args), args, reply);
}

// SecAP: u8 AP, u16 word count; words at the AP's TAR.
BlockRequest secureBlock(ArmUnit& unit, Reader& args) {
  BlockRequest request{};
  request.ap = args.u8();
  request.count = 4u * args.u16();
  request.size = 2;
  request.increment = true;
  request.address = request.ap < unit.port.apCount() ? unit.port.ap(request.ap).tar() : 0;
  return request;
}

void secApRead(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const BlockRequest request = secureBlock(unit, args);
  readBlock(unit, request, reply);
  // TAR ends after the last word, as the hardware leaves it.
  if (reply.result == 0 && request.count != 0)
    unit.port.apWrite(request.ap, MemAp::kTar,
                      static_cast<uint32_t>(request.address + request.count));
}

void secApWrite(ArmUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const BlockRequest request = secureBlock(unit, args);
  writeBlock(unit, request, args, reply);
  if (reply.result == 0 && request.count != 0)
    unit.port.apWrite(request.ap, MemAp::kTar,
                      static_cast<uint32_t>(request.address + request.count));
}

// The DP and AP operations a command makes go to the probe's log.
template <void (*F)(ArmUnit&, Firmware&, Reader&, Reply&)>
void logged(ArmUnit& unit, Firmware& firmware, Reader& args, Reply& reply) {
  ProbeLog& log = firmware.unit<units::log::LogUnit>().log;
  unit.port.setRecorder([&log](const ProbeLogRecord& record) { log.append(record); });
  F(unit, firmware, args, reply);
  unit.port.setRecorder(nullptr);
}

constexpr CommandHandler kHandlers[] = {
    {kCmapiConnect, 0, on<logged<cmapiConnect>>},
    {kCmapiDisconnect, 0, on<logged<cmapiDisconnect>>},
    {kCmapiMemRead, 13, on<logged<cmapiMemRead>>},
    {kCmapiMemWrite, kVariableArguments, on<logged<cmapiMemWrite>>},
    {kCmapiRegRead, 3, on<logged<cmapiRegRead>>},
    {kCmapiRegWrite, 7, on<logged<cmapiRegWrite>>},
    {kSwdConnect, 0, on<swdConnect>},
    {kSwdDisconnect, 0, on<swdDisconnect>},
    {kSwdEnableSwo, 0, on<swdEnableSwo>},
    {kSwdDisableSwo, 0, on<swdDisableSwo>},
    {kSwdRegRead, 2, on<logged<swdRegRead>>},
    {kSwdRegWrite, 7, on<logged<swdRegWrite>>},
    {kCmapiMemRead64, 17, on<logged<cmapiMemRead64>>},
    {kCmapiMemWrite64, kVariableArguments, on<logged<cmapiMemWrite64>>},
    {kArmv7MemRead, 16, on<logged<armv7MemRead>>},
    {kArmv7MemWrite, kVariableArguments, on<logged<armv7MemWrite>>},
    {kSecApWrite, kVariableArguments, on<logged<secApWrite>>},
    {kSecApRead, 3, on<logged<secApRead>>},
};

}  // namespace

UnitSpec unit() {
  return unitSpec<ArmUnit>("arm", kHandlers);
}

}  // namespace ksim::units::arm
