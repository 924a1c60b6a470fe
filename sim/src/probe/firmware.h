// The virtual probe's firmware: frame parsing, the dispatch to its units, and the state all
// units share (the configuration and the probe's lines and switches).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "kestrel_sim/sim.h"
#include "probe/unit.h"

namespace ksim {

class Firmware {
 public:
  explicit Firmware(const ProbeConfig& config);

  // Runs one command packet and returns the reply frame. code receives the packet's command
  // code, or -1 when the frame could not be parsed.
  std::vector<uint8_t> run(const uint8_t* packet, std::size_t size, int& code);

  template <class U>
  U& unit() {
    for (auto& unit : units_)
      if (auto* found = dynamic_cast<U*>(unit.get())) return *found;
    std::abort();  // every unit type is in the list
  }

  ProbeStatus report() const;

  const ProbeConfig config;
  ProbeStatus status;

 private:
  std::vector<std::unique_ptr<Unit>> units_;
};

// Frames a reply: '*', u16 length (4 + data), i32 result, data.
std::vector<uint8_t> frameReply(const Reply& reply);

}  // namespace ksim
