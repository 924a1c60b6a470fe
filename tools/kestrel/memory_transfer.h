// Target memory moved through a MEM-AP in the largest pieces one packet carries: word
// accesses when the address and length allow them, byte accesses otherwise; the 64-bit
// address commands once any address of the transfer needs more than 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "kestrel/kst_types.h"

namespace tool {

struct MemoryPort {
  KST_SMG_HANDLE handle;
  uint8_t ap;  // the access port the transfer goes through
};

// Called after each piece with the bytes done so far.
using Progress = std::function<void(std::size_t done)>;

struct TransferResult {
  int32_t result;      // 0, or the failing command's result code
  uint64_t stoppedAt;  // the address of the piece that failed
};

// The largest piece starting at address with remaining bytes left.
std::size_t pieceSize(uint64_t address, std::size_t remaining, bool write, bool wide);

TransferResult readMemory(const MemoryPort& port, uint64_t address, uint8_t* out,
                          std::size_t length, const Progress& progress = nullptr);
TransferResult writeMemory(const MemoryPort& port, uint64_t address, const uint8_t* data,
                           std::size_t length, const Progress& progress = nullptr);

}  // namespace tool
