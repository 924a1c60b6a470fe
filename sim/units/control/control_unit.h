// The probe control unit: reset and supply lines, isolation, registers, EEPROM, production
// test and properties. It owns the EEPROM; lines and properties are the probe's shared status.
#pragma once

#include <vector>

#include "probe/unit.h"

namespace ksim::units::control {

constexpr std::size_t kEepromSize = 65536;

class ControlUnit : public Unit {
 public:
  explicit ControlUnit(const ProbeConfig&) : eeprom(kEepromSize, 0xFF) {}

  std::vector<uint8_t> eeprom;  // kept while the probe is on the bus, across opens
};

}  // namespace ksim::units::control
