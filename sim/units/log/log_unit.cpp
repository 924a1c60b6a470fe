// KST_GETLOG: the firmware's own log, always a 4336-byte reply.
#include "log/log_unit.h"

#include "probe/command_codes.h"
#include "probe/firmware.h"

namespace ksim::units::log {
namespace {

void getLog(LogUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.data = unit.log.take();
}

constexpr CommandHandler kHandlers[] = {
    {command::kGetLog, 0, on<getLog>},
};

}  // namespace

void LogUnit::commandDone(Firmware& firmware, uint8_t code, int32_t result) {
  if (code == command::kSetProperty) {
    const auto found = firmware.status.properties.find(command::kPropertyLoggingEnabled);
    log.setEnabled(found != firmware.status.properties.end() && found->second != 0);
  }
  log.commandDone(code, result);
}

UnitSpec unit() {
  return unitSpec<LogUnit>("log", kHandlers);
}

}  // namespace ksim::units::log
