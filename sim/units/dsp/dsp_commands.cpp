// The DSP unit's commands: WREN, IBIS and TERN memory reads and writes.
#include <vector>

#include "dsp/dsp_unit.h"
#include "probe/command_codes.h"
#include "probe/firmware.h"

namespace ksim::units::dsp {
namespace {

using namespace ksim::command;

constexpr uint8_t kProgramSpace = 0, kDataSpace = 1;
// The largest fill a short-data write makes (the count is 32 bits wide).
constexpr uint32_t kFillLimit = 1u << 24;

// Takes the rest of the arguments as the data of a write.
const uint8_t* takeData(Reader& args, std::size_t& size) {
  size = args.remaining();
  return args.bytes(size);
}

// ---- family A: 16-bit words from start up to end ----

struct WordRange {
  uint32_t start, end;
  uint8_t space;
};

WordRange readWordRange(Reader& args) {
  WordRange range{};
  range.start = args.u32();
  range.end = args.u32();
  range.space = args.u8();
  args.bytes(3);  // selectors 2 to 4
  args.u32();     // attribute
  args.u8();      // selector 5
  return range;
}

SparseMemory* wrenSpace(DspUnit& unit, uint8_t space) {
  if (space == kProgramSpace) return &unit.wrenProgram;
  return space == kDataSpace ? &unit.wrenData : nullptr;
}

std::size_t wrenBytes(const WordRange& range) {
  return range.end < range.start ? SIZE_MAX : 2 * static_cast<std::size_t>(range.end - range.start);
}

void wrenRead(DspUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const WordRange range = readWordRange(args);
  const std::size_t bytes = wrenBytes(range);
  SparseMemory* memory = wrenSpace(unit, range.space);
  if (memory == nullptr || bytes > kReplyDataLimit)
    return void(reply.result = kFirmwareBadArguments);
  const uint64_t address = 2 * static_cast<uint64_t>(range.start);
  if (memory->faults(address, bytes)) return reply.refuse(kFirmwareMemoryFault, bytes);
  reply.data.resize(bytes);
  memory->read(address, reply.data.data(), bytes);
}

void wrenWrite(DspUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const WordRange range = readWordRange(args);
  args.u8();   // selector 6
  args.u16();  // reserved
  std::size_t size = 0;
  const uint8_t* data = takeData(args, size);
  SparseMemory* memory = wrenSpace(unit, range.space);
  if (memory == nullptr || size != wrenBytes(range))
    return void(reply.result = kFirmwareBadArguments);
  const uint64_t address = 2 * static_cast<uint64_t>(range.start);
  if (memory->faults(address, size)) return void(reply.result = kFirmwareMemoryFault);
  memory->write(address, data, size);
}

// ---- families B and C: bytes with a status byte each ----

// Reads count bytes; with status, failing bytes read 0 and are marked, else a failing byte
// refuses the read.
void readBytes(SparseMemory& memory, uint32_t address, std::size_t count, bool withStatus,
               Reply& reply) {
  const std::size_t replyBytes = withStatus ? 2 * count : count;
  if (replyBytes > kReplyDataLimit) return void(reply.result = kFirmwareBadArguments);
  if (!withStatus && memory.faults(address, count))
    return reply.refuse(kFirmwareMemoryFault, replyBytes);
  reply.data.assign(replyBytes, DspUnit::kStatusGood);
  memory.read(address, reply.data.data(), count);
  if (!withStatus) return;
  for (std::size_t i = 0; i < count; ++i) {
    if (!memory.faults(address + i)) continue;
    reply.data[i] = 0;
    reply.data[count + i] = DspUnit::kStatusFailed;
  }
}

// Writes bytes; with status, failing bytes are skipped and marked.
void writeBytes(SparseMemory& memory, uint32_t address, const std::vector<uint8_t>& bytes,
                bool withStatus, Reply& reply) {
  if (!withStatus) {
    if (memory.faults(address, bytes.size())) return void(reply.result = kFirmwareMemoryFault);
    return memory.write(address, bytes.data(), bytes.size());
  }
  reply.data.assign(bytes.size(), DspUnit::kStatusGood);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (memory.faults(address + i))
      reply.data[i] = DspUnit::kStatusFailed;
    else
      memory.write(address + i, &bytes[i], 1);
  }
}

// IBIS reads: address, count, attribute, selectors 1 and 2.
void ibisReadWith(DspUnit& unit, Reader& args, Reply& reply, bool withStatus) {
  const uint32_t address = args.u32();
  const uint32_t count = args.u32();
  args.u32();
  args.bytes(2);
  readBytes(unit.ibis, address, count, withStatus, reply);
}

// IBIS writes: address, count, attribute, short length, selector 2, flag, reserved, data.
// The short form repeats its bytes over the count.
void ibisWriteWith(DspUnit& unit, Reader& args, Reply& reply, bool withStatus) {
  const uint32_t address = args.u32();
  const uint32_t count = args.u32();
  args.u32();
  const uint8_t shortLength = args.u8();
  args.u8();
  const bool shortData = args.u8() != 0;
  args.u8();
  std::size_t size = 0;
  const uint8_t* data = takeData(args, size);
  const std::size_t expected = shortData ? shortLength : count;
  if (size != expected || count > kFillLimit || (shortData && shortLength == 0 && count != 0) ||
      (withStatus && count > kReplyDataLimit))
    return void(reply.result = kFirmwareBadArguments);
  std::vector<uint8_t> bytes(count);
  for (uint32_t i = 0; i < count; ++i) bytes[i] = data[i % size];
  writeBytes(unit.ibis, address, bytes, withStatus, reply);
}

// TERN: u16 selector 1, address, u16 count, u16 selector 2, attribute[, data].
uint32_t ternHead(Reader& args, uint16_t& count) {
  args.u16();
  const uint32_t address = args.u32();
  count = args.u16();
  args.u16();
  args.u32();
  return address;
}

void ternReadWith(DspUnit& unit, Reader& args, Reply& reply, bool withStatus) {
  uint16_t count = 0;
  const uint32_t address = ternHead(args, count);
  readBytes(unit.tern, address, count, withStatus, reply);
}

void ternWriteWith(DspUnit& unit, Reader& args, Reply& reply, bool withStatus) {
  uint16_t count = 0;
  const uint32_t address = ternHead(args, count);
  std::size_t size = 0;
  const uint8_t* data = takeData(args, size);
  if (size != count) return void(reply.result = kFirmwareBadArguments);
  writeBytes(unit.tern, address, std::vector<uint8_t>(data, data + size), withStatus, reply);
}

// One handler per command code: a read or write of a family, with or without per-byte status.
template <void (*Run)(DspUnit&, Reader&, Reply&, bool), bool WithStatus>
void withStatus(DspUnit& unit, Firmware&, Reader& args, Reply& reply) {
  Run(unit, args, reply, WithStatus);
}

void addFailing(SparseMemory& memory, const std::vector<AddressRange>& ranges, uint64_t scale) {
  for (const AddressRange& range : ranges) memory.addFault(range.begin * scale, range.end * scale);
}

constexpr CommandHandler kHandlers[] = {
    {kWrenRead, 17, on<wrenRead>},
    {kWrenWrite, kVariableArguments, on<wrenWrite>},
    {kIbisRead, 14, on<withStatus<ibisReadWith, false>>},
    {kIbisWrite, kVariableArguments, on<withStatus<ibisWriteWith, false>>},
    {kIbisReadStatus, 14, on<withStatus<ibisReadWith, true>>},
    {kIbisWriteStatus, kVariableArguments, on<withStatus<ibisWriteWith, true>>},
    {kTernRead, 14, on<withStatus<ternReadWith, false>>},
    {kTernWrite, kVariableArguments, on<withStatus<ternWriteWith, false>>},
    {kTernReadStatus, 14, on<withStatus<ternReadWith, true>>},
    {kTernWriteStatus, kVariableArguments, on<withStatus<ternWriteWith, true>>},
};

}  // namespace

DspUnit::DspUnit(const ProbeConfig& config) {
  addFailing(wrenData, config.target.wrenFailing, 2);
  addFailing(ibis, config.target.ibisFailing, 1);
  addFailing(tern, config.target.ternFailing, 1);
}

UnitSpec unit() {
  return unitSpec<DspUnit>("dsp", kHandlers);
}

}  // namespace ksim::units::dsp
