// The SPI unit's commands: connect, disconnect, operation write and read.
#include <algorithm>

#include "spi/spi_unit.h"

namespace ksim {
namespace {

using kst::wire::Reader;

enum : uint8_t { kConnect = 86, kDisconnect = 87, kOpWrite = 88, kOpRead = 89 };

constexpr std::size_t kAnswerHead = 3;  // u16 length, u8 status

void connect(SpiUnit& unit, Reader& args, Reply& reply) {
  const uint8_t mode = args.u8();
  reply.result = unit.transceiver.connect(mode, args.u8());
}

void disconnect(SpiUnit& unit, Reader&, Reply&) {
  unit.transceiver.disconnect();
}

// The operation's length is the packet's: everything after the two selectors.
void opWrite(SpiUnit& unit, Reader& args, Reply& reply) {
  const uint8_t kind = args.u8();
  const uint8_t chip = args.u8();
  const std::size_t size = args.remaining();
  reply.result = unit.transceiver.operation(kind, chip, args.bytes(size), size);
}

void opRead(SpiUnit& unit, Reader& args, Reply& reply) {
  const uint16_t maximum = args.u16();
  if (maximum + kAnswerHead > kReplyDataLimit) return void(reply.result = kFirmwareBadArguments);
  SpiTransceiver::Answer answer{};
  if (const int32_t refused = unit.transceiver.read(answer))
    return refuse(reply, refused, kAnswerHead + maximum);
  reply.u16(static_cast<uint16_t>(answer.bytes.size()));
  reply.u8(answer.status);
  const std::size_t shown = std::min<std::size_t>(answer.bytes.size(), maximum);
  reply.bytes(answer.bytes.data(), shown);
  reply.data.resize(kAnswerHead + maximum, 0);
}

constexpr UnitCommand<SpiUnit> kCommands[] = {
    {kConnect, 2, connect},
    {kDisconnect, 0, disconnect},
    {kOpWrite, kVariableArguments, opWrite},
    {kOpRead, 2, opRead},
};

}  // namespace

UnitCommandTable<SpiUnit> spiCommands() {
  return {kCommands, sizeof kCommands / sizeof kCommands[0]};
}

}  // namespace ksim
