// The SPI unit's commands: connect, disconnect, operation write and read.
#include <algorithm>

#include "probe/command_codes.h"
#include "probe/firmware.h"
#include "spi/spi_unit.h"

namespace ksim::units::spi {
namespace {

using namespace ksim::command;

constexpr std::size_t kAnswerHead = 3;  // u16 length, u8 status

void connect(SpiUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t mode = args.u8();
  reply.result = unit.transceiver.connect(mode, args.u8());
}

void disconnect(SpiUnit& unit, Firmware&, Reader&, Reply&) {
  unit.transceiver.disconnect();
}

// The operation's length is the packet's: everything after the two selectors.
void opWrite(SpiUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t kind = args.u8();
  const uint8_t chip = args.u8();
  const std::size_t size = args.remaining();
  reply.result = unit.transceiver.operation(kind, chip, args.bytes(size), size);
}

void opRead(SpiUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint16_t maximum = args.u16();
  if (maximum + kAnswerHead > kReplyDataLimit) return void(reply.result = kFirmwareBadArguments);
  SpiTransceiver::Answer answer{};
  if (const int32_t refused = unit.transceiver.read(answer))
    return reply.refuse(refused, kAnswerHead + maximum);
  reply.u16(static_cast<uint16_t>(answer.bytes.size()));
  reply.u8(answer.status);
  const std::size_t shown = std::min<std::size_t>(answer.bytes.size(), maximum);
  reply.bytes(answer.bytes.data(), shown);
  reply.data.resize(kAnswerHead + maximum, 0);
}

constexpr CommandHandler kHandlers[] = {
    {kSpiConnect, 2, on<connect>},
    {kSpiDisconnect, 0, on<disconnect>},
    {kSpiOpWrite, kVariableArguments, on<opWrite>},
    {kSpiOpRead, 2, on<opRead>},
};

}  // namespace

UnitSpec unit() {
  return unitSpec<SpiUnit>("spi", kHandlers);
}

}  // namespace ksim::units::spi
