// The three scan commands: fixed data, send only, send and receive.
#pragma once

#include "jtag/jtag_unit.h"

namespace ksim::units::jtag {

void fixedScan(JtagUnit& unit, Firmware& firmware, Reader& args, Reply& reply);
void sendScan(JtagUnit& unit, Firmware& firmware, Reader& args, Reply& reply);
void sendReceiveScan(JtagUnit& unit, Firmware& firmware, Reader& args, Reply& reply);

}  // namespace ksim::units::jtag
