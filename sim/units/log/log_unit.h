// The probe log unit: the firmware's own log, fetched with KST_GETLOG.
#pragma once

#include "log/probe_log.h"
#include "probe/unit.h"

namespace ksim::units::log {

class LogUnit : public Unit {
 public:
  explicit LogUnit(const ProbeConfig&) {}
  // Records every command carried out while the log is on, and follows the logging property.
  void commandDone(Firmware& firmware, uint8_t code, int32_t result) override;

  ProbeLog log;
};

}  // namespace ksim::units::log
