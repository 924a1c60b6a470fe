// The unit list of units.def, read once.
#include "probe/dispatch.h"

#define KSIM_UNIT(folder)         \
  namespace ksim::units::folder { \
  UnitSpec unit();                \
  }
#include "units.def"
#undef KSIM_UNIT

namespace ksim {

const std::vector<UnitSpec>& firmwareUnits() {
  static const std::vector<UnitSpec> units{
#define KSIM_UNIT(folder) units::folder::unit(),
#include "units.def"
#undef KSIM_UNIT
  };
  return units;
}

}  // namespace ksim
