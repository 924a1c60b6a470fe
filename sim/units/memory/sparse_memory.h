// A target memory of 64-bit addresses that stores only what was written. Unwritten bytes read
// the fill pattern; ranges can be marked as faulting, as bus errors or bad cells would be.
// A model the arm and dsp units share, not a unit of its own (no line in units.def).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace ksim {

class SparseMemory {
 public:
  static constexpr uint8_t kFill = 0xA5;  // what unwritten memory reads

  void read(uint64_t address, uint8_t* out, std::size_t count) const;
  void write(uint64_t address, const uint8_t* data, std::size_t count);

  // Marks [begin, end) as faulting; reads and writes there still work through read() and
  // write(), the commands ask faults() first.
  void addFault(uint64_t begin, uint64_t end);
  bool faults(uint64_t address) const;
  // Whether any byte of [address, address + count) faults.
  bool faults(uint64_t address, std::size_t count) const;

 private:
  static constexpr std::size_t kPageBits = 12;
  static constexpr std::size_t kPageSize = std::size_t{1} << kPageBits;
  using Page = std::array<uint8_t, kPageSize>;

  std::map<uint64_t, std::unique_ptr<Page>> pages_;
  std::vector<std::pair<uint64_t, uint64_t>> faults_;
};

}  // namespace ksim
