// A command handler of one firmware unit: it reads its arguments, works on the unit's own
// state and fills the reply. argumentBytes is the exact argument length, or
// kVariableArguments when the handler checks the length itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/wire.h"
#include "src/firmware.h"

namespace ksim {

// The most data bytes a reply frame carries.
constexpr std::size_t kReplyDataLimit = 4345;

template <class Unit>
struct UnitCommand {
  uint8_t code;
  int argumentBytes;
  void (*handle)(Unit& unit, kst::wire::Reader& args, Reply& reply);
};

template <class Unit>
struct UnitCommandTable {
  const UnitCommand<Unit>* entries;
  std::size_t count;
};

// A refusal whose reply still has the size the host expects, so the host sees the code.
inline void refuse(Reply& reply, int32_t code, std::size_t dataBytes) {
  reply.result = code;
  reply.data.assign(dataBytes, 0);
}

}  // namespace ksim
