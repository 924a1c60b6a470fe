// The core unit: echo, connect, disconnect and version. It keeps no state of its own; the
// connection flags are the probe's shared status.
#include "probe/command_codes.h"
#include "probe/firmware.h"

namespace ksim::units::core {
namespace {

class CoreUnit : public Unit {
 public:
  explicit CoreUnit(const ProbeConfig&) {}
};

void echo(CoreUnit&, Firmware&, Reader& args, Reply& reply) {
  const uint32_t count = args.u32();
  if (args.remaining() != count) {
    reply.result = kFirmwareBadArguments;
    args.bytes(args.remaining());
    return;
  }
  reply.bytes(args.bytes(count), count);
}

void connect(CoreUnit&, Firmware& firmware, Reader&, Reply&) {
  firmware.status.connected = true;
  firmware.status.powerMeasurement = false;
}

void connectPowerMeasurement(CoreUnit&, Firmware& firmware, Reader&, Reply&) {
  firmware.status.connected = true;
  firmware.status.powerMeasurement = true;
}

void disconnect(CoreUnit&, Firmware& firmware, Reader&, Reply&) {
  firmware.status.connected = false;
}

void version(CoreUnit&, Firmware& firmware, Reader&, Reply& reply) {
  reply.u32(firmware.config.firmwareVersion);
  reply.u16(firmware.config.hardwareId);
}

constexpr CommandHandler kHandlers[] = {
    {command::kEcho, kVariableArguments, on<echo>},
    {command::kConnect, 0, on<connect>},
    {command::kDisconnect, 0, on<disconnect>},
    {command::kVersion, 0, on<version>},
    {command::kConnectPowerMeasurement, 0, on<connectPowerMeasurement>},
};

}  // namespace

UnitSpec unit() {
  return unitSpec<CoreUnit>("core", kHandlers);
}

}  // namespace ksim::units::core
