#include "firmware.h"

#include <array>

namespace ksim {
namespace {

using Dispatch = std::array<const CommandHandler*, 256>;

Dispatch buildDispatch() {
  Dispatch dispatch{};
  for (const HandlerTable table :
       {coreHandlers(), jtagHandlers(), controlHandlers(), logHandlers()}) {
    for (std::size_t i = 0; i < table.count; ++i)
      dispatch[table.entries[i].code] = &table.entries[i];
  }
  return dispatch;
}

Reply errorReply(int32_t code) {
  Reply reply;
  reply.result = code;
  return reply;
}

}  // namespace

std::vector<uint8_t> frameReply(const Reply& reply) {
  std::vector<uint8_t> frame;
  frame.reserve(7 + reply.data.size());
  const std::size_t length = 4 + reply.data.size();
  frame.push_back('*');
  frame.push_back(static_cast<uint8_t>(length));
  frame.push_back(static_cast<uint8_t>(length >> 8));
  for (int i = 0; i < 4; ++i) frame.push_back(static_cast<uint8_t>(reply.result >> (8 * i)));
  frame.insert(frame.end(), reply.data.begin(), reply.data.end());
  return frame;
}

std::vector<uint8_t> runPacket(ProbeState& probe, const uint8_t* packet, std::size_t size,
                               int& code) {
  static const Dispatch dispatch = buildDispatch();
  code = -1;
  if (size < 4 || packet[0] != '*' ||
      static_cast<std::size_t>(packet[1] | packet[2] << 8) != size - 3)
    return frameReply(errorReply(kFirmwareBadFrame));
  code = packet[3];
  const CommandHandler* handler = dispatch[packet[3]];
  if (handler == nullptr) return frameReply(errorReply(kFirmwareUnknownCommand));
  Args args(packet + 4, size - 4);
  if (handler->argumentBytes != kVariableArguments &&
      args.remaining() != static_cast<std::size_t>(handler->argumentBytes))
    return frameReply(errorReply(kFirmwareBadArguments));
  Reply reply;
  handler->handle(probe, args, reply);
  if (!args.ok() || args.remaining() != 0) reply = errorReply(kFirmwareBadArguments);
  probe.log.commandDone(packet[3], reply.result);
  return frameReply(reply);
}

}  // namespace ksim
