// A unit of the probe firmware: its own state and the table of commands it claims. Units are
// listed in sim/units/units.def; a command code claimed by two units stops the virtual probe
// when it loads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "kestrel_sim/sim.h"
#include "link/wire.h"

namespace ksim {

class Firmware;
using Reader = kst::wire::Reader;

// The data of a reply and its result, written in wire order.
struct Reply {
  int32_t result = 0;
  std::vector<uint8_t> data;

  void u8(uint8_t value) { data.push_back(value); }
  void u16(uint16_t value) {
    data.resize(data.size() + 2);
    kst::wire::putU16(data.data() + data.size() - 2, value);
  }
  void u32(uint32_t value) {
    data.resize(data.size() + 4);
    kst::wire::putU32(data.data() + data.size() - 4, value);
  }
  void bytes(const uint8_t* from, std::size_t count) {
    data.insert(data.end(), from, from + count);
  }
  // A refusal of a command whose reply carries data: the reply keeps the size the host
  // expects, so the host sees the code instead of a reply of the wrong size.
  void refuse(int32_t code, std::size_t dataBytes) {
    result = code;
    data.assign(dataBytes, 0);
  }
};

// The most data bytes a reply frame carries.
constexpr std::size_t kReplyDataLimit = 4345;

// On cache lines of its own: a probe's units are written by the thread driving it, and the
// units of all probes are created one after another.
class alignas(64) Unit {
 public:
  virtual ~Unit() = default;
  // After every command the firmware carried out, whichever unit ran it.
  virtual void commandDone(Firmware& /*firmware*/, uint8_t /*code*/, int32_t /*result*/) {}
  // Fills this unit's part of the status the control API reports.
  virtual void report(ProbeStatus& /*status*/) const {}
};

using HandlerFn = void (*)(Unit& unit, Firmware& firmware, Reader& args, Reply& reply);

// argumentBytes is the exact argument length the command takes, or kVariableArguments when
// the handler checks its arguments itself.
constexpr int kVariableArguments = -1;
struct CommandHandler {
  uint8_t code;
  int argumentBytes;
  HandlerFn handle;
};

struct UnitSpec {
  const char* name;
  const CommandHandler* handlers;
  std::size_t handlerCount;
  std::unique_ptr<Unit> (*make)(const ProbeConfig& config);
};

namespace detail {
template <class F>
struct UnitOf;
template <class U>
struct UnitOf<void (*)(U&, Firmware&, Reader&, Reply&)> {
  using type = U;
};
}  // namespace detail

// A table entry for a handler written against its own unit type:
// void handler(JtagUnit&, Firmware&, Reader&, Reply&).
template <auto F>
void on(Unit& unit, Firmware& firmware, Reader& args, Reply& reply) {
  using U = typename detail::UnitOf<decltype(F)>::type;
  F(static_cast<U&>(unit), firmware, args, reply);
}

template <class U, std::size_t N>
UnitSpec unitSpec(const char* name, const CommandHandler (&handlers)[N]) {
  return {name, handlers, N, [](const ProbeConfig& config) -> std::unique_ptr<Unit> {
            return std::make_unique<U>(config);
          }};
}

}  // namespace ksim
