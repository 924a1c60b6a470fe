// The DFU unit: DFU_MODE_SWITCH. The probe does not answer it; it resets into its bootloader
// (the probe function sees the request and leaves the bus).
#include "probe/command_codes.h"
#include "probe/firmware.h"

namespace ksim::units::dfu {
namespace {

class DfuUnit : public Unit {
 public:
  explicit DfuUnit(const ProbeConfig&) {}
};

void modeSwitch(DfuUnit&, Firmware& firmware, Reader&, Reply&) {
  firmware.switchToBootloader = true;
}

constexpr CommandHandler kHandlers[] = {
    {command::kDfuModeSwitch, 0, on<modeSwitch>},
};

}  // namespace

UnitSpec unit() {
  return unitSpec<DfuUnit>("dfu", kHandlers);
}

}  // namespace ksim::units::dfu
