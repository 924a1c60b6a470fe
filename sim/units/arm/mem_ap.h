// An ADIv5 memory access port in front of the target memory: CSW, TAR (64 bits with the
// large-address extension), DRW, the banked data registers BD0-BD3, CFG, BASE and IDR.
#pragma once

#include <cstdint>

#include "kestrel_sim/sim.h"
#include "memory/sparse_memory.h"

namespace ksim {

class MemAp {
 public:
  // Register offsets (bank in bits 7:4).
  static constexpr uint8_t kCsw = 0x00, kTar = 0x04, kTarHigh = 0x08, kDrw = 0x0C, kBd0 = 0x10,
                           kCfg = 0xF4, kBase = 0xF8, kIdr = 0xFC;
  // CSW fields.
  static constexpr uint32_t kSizeMask = 0x7, kIncrementSingle = 0x10, kIncrementMask = 0x30,
                            kDeviceEnabled = 0x40;

  MemAp(const MemApConfig& config, SparseMemory& memory) : config_(config), memory_(&memory) {}

  // False when the access faults on the memory bus (the register keeps its value).
  bool read(uint8_t offset, uint32_t& value);
  bool write(uint8_t offset, uint32_t value);

  uint64_t tar() const { return tar_; }
  const MemApConfig& config() const { return config_; }

 private:
  // One data access of CSW's size at address; value is the 32-bit bus word, the data in the
  // byte lanes of the address.
  bool access(uint64_t address, uint32_t& value, bool isWrite);
  uint64_t mask(uint64_t address) const;
  // TAR after a DRW access: only the low 10 bits count up, as ADIv5 guarantees no more.
  void advance();

  MemApConfig config_;
  SparseMemory* memory_;
  uint32_t csw_ = 2;  // word accesses, no increment
  uint64_t tar_ = 0;
};

}  // namespace ksim
