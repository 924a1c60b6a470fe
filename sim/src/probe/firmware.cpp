#include "probe/firmware.h"

#include <algorithm>

#include "probe/dispatch.h"

namespace ksim {
namespace {

constexpr uint8_t kStartByte = '*';
constexpr std::size_t kPacketHeader = 3;  // start byte and length field

Reply errorReply(int32_t code) {
  Reply reply;
  reply.result = code;
  return reply;
}

}  // namespace

Firmware::Firmware(const ProbeConfig& probeConfig) : config(probeConfig) {
  for (const UnitSpec& unit : firmwareUnits()) units_.push_back(unit.make(config));
}

std::vector<uint8_t> frameReply(const Reply& reply) {
  std::vector<uint8_t> frame(kPacketHeader + 4 + reply.data.size());
  frame[0] = kStartByte;
  kst::wire::putU16(frame.data() + 1, static_cast<uint16_t>(4 + reply.data.size()));
  kst::wire::putU32(frame.data() + 3, static_cast<uint32_t>(reply.result));
  std::copy(reply.data.begin(), reply.data.end(), frame.begin() + 7);
  return frame;
}

std::vector<uint8_t> Firmware::run(const uint8_t* packet, std::size_t size, int& code) {
  code = -1;
  if (size < kPacketHeader + 1 || packet[0] != kStartByte ||
      kst::wire::getU16(packet + 1) != size - kPacketHeader)
    return frameReply(errorReply(kFirmwareBadFrame));
  code = packet[3];
  const DispatchEntry& entry = firmwareDispatch()[packet[3]];
  if (entry.handler == nullptr) return frameReply(errorReply(kFirmwareUnknownCommand));
  Reader args(packet + 4, size - 4);
  if (entry.handler->argumentBytes != kVariableArguments &&
      args.remaining() != static_cast<std::size_t>(entry.handler->argumentBytes))
    return frameReply(errorReply(kFirmwareBadArguments));
  Reply reply;
  entry.handler->handle(*units_[static_cast<std::size_t>(entry.unit)], *this, args, reply);
  if (!args.ok() || args.remaining() != 0) reply = errorReply(kFirmwareBadArguments);
  for (auto& unit : units_) unit->commandDone(*this, packet[3], reply.result);
  return frameReply(reply);
}

ProbeStatus Firmware::report() const {
  ProbeStatus report = status;
  for (const auto& unit : units_) unit->report(report);
  return report;
}

}  // namespace ksim
