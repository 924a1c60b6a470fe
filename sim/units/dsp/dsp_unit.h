// The three DSP memories of the target: family A (WREN) addressed in 16-bit words, with a
// program and a data space; families B (IBIS) and C (TERN) addressed in bytes, with a status
// byte per data byte. Failing cells are the memories' fault ranges, from the target configuration.
//
// What the pass-through arguments mean to this firmware:
//
// WREN_MEMREAD/WRITE (51, 52): the words from start up to (not including) end, two bytes
//   each, low byte first. Selector 1 is the memory space (0 program, 1 data; others are
//   refused); selectors 2 to 6, the attribute word and the reserved bytes are ignored. A
//   write's data must cover the words exactly.
// IBIS (53-56) and TERN (82-85): selectors and attribute words are ignored. A write with
//   the short-data flag (IBIS) repeats its shortLength bytes over the count (a fill); without
//   it the data must be the count's bytes.
//
// Failing cells: a plain read or write touching one answers a memory fault and changes
// nothing; the status forms carry on, giving each failing byte status kStatusFailed (read
// data 0, write not made) and every other byte kStatusGood.
#pragma once

#include <cstdint>

#include "memory/sparse_memory.h"
#include "probe/unit.h"

namespace ksim::units::dsp {

class DspUnit : public Unit {
 public:
  static constexpr uint8_t kStatusGood = 0x00;
  static constexpr uint8_t kStatusFailed = 0x01;

  explicit DspUnit(const ProbeConfig& config);

  SparseMemory wrenProgram;  // byte address = 2 * word address
  SparseMemory wrenData;
  SparseMemory ibis;
  SparseMemory tern;
};

}  // namespace ksim::units::dsp
