// Echo, connect, disconnect and version.
#include "firmware.h"

namespace ksim {
namespace {

void echo(ProbeState&, Args& args, Reply& reply) {
  const uint32_t count = args.u32();
  if (args.remaining() != count) {
    reply.result = kFirmwareBadArguments;
    args.bytes(args.remaining());
    return;
  }
  reply.bytes(args.bytes(count), count);
}

void connect(ProbeState& probe, Args&, Reply&) {
  probe.status.connected = true;
  probe.status.powerMeasurement = false;
}

void connectPowerMeasurement(ProbeState& probe, Args&, Reply&) {
  probe.status.connected = true;
  probe.status.powerMeasurement = true;
}

void disconnect(ProbeState& probe, Args&, Reply&) {
  probe.status.connected = false;
}

void version(ProbeState& probe, Args&, Reply& reply) {
  reply.u32(probe.config.firmwareVersion);
  reply.u16(probe.config.hardwareId);
}

constexpr CommandHandler kHandlers[] = {
    {0, kVariableArguments, echo},    {1, 0, connect}, {2, 0, disconnect}, {3, 0, version},
    {40, 0, connectPowerMeasurement},
};

}  // namespace

HandlerTable coreHandlers() {
  return {kHandlers, sizeof kHandlers / sizeof kHandlers[0]};
}

}  // namespace ksim
