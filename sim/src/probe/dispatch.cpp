#include "probe/dispatch.h"

#include <cstdio>
#include <cstdlib>

namespace ksim {

DispatchTable buildDispatch(const std::vector<UnitSpec>& units) {
  DispatchTable table{};
  for (std::size_t u = 0; u < units.size(); ++u) {
    for (std::size_t i = 0; i < units[u].handlerCount; ++i) {
      const CommandHandler& handler = units[u].handlers[i];
      DispatchEntry& entry = table[handler.code];
      if (entry.handler != nullptr) {
        std::fprintf(stderr, "virtual probe: command code %u claimed by units %s and %s\n",
                     handler.code, units[static_cast<std::size_t>(entry.unit)].name, units[u].name);
        std::abort();
      }
      entry = {static_cast<int>(u), &handler};
    }
  }
  return table;
}

const DispatchTable& firmwareDispatch() {
  static const DispatchTable table = buildDispatch(firmwareUnits());
  return table;
}

namespace {
// A doubly claimed code stops the virtual probe as it loads, not at the first command.
[[maybe_unused]] const DispatchTable& builtAtLoad = firmwareDispatch();
}  // namespace

}  // namespace ksim
