// Target memory moved through a MEM-AP in the largest pieces one packet carries: word
// accesses when the address and length allow them, byte accesses otherwise; the 64-bit
// address commands once any address of the transfer needs more than 32 bits. The bytes pass
// piece by piece between the caller and the probe, so a transfer of any length holds one
// piece in memory. The caller checks the range first (address_range.h).
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
// A read's bytes, piece by piece; false stops the transfer.
using MemorySink = std::function<bool(const uint8_t* bytes, std::size_t count)>;
// Fills a write's next piece; false stops the transfer.
using MemorySource = std::function<bool(uint8_t* bytes, std::size_t count)>;

struct TransferResult {
  int32_t result;      // 0, or the failing command's result code
  uint64_t stoppedAt;  // the address of the piece that failed (or that the caller stopped at)
  std::size_t pieceLength = 0;  // that piece's length
  bool stoppedByCaller = false;  // the sink or source said stop; result is 0
};

// The largest piece starting at address with remaining bytes left.
std::size_t pieceSize(uint64_t address, std::size_t remaining, bool write, bool wide);

TransferResult readMemory(const MemoryPort& port, uint64_t address, uint64_t length,
                          const MemorySink& sink, const Progress& progress = nullptr);
TransferResult writeMemory(const MemoryPort& port, uint64_t address, uint64_t length,
                           const MemorySource& source, const Progress& progress = nullptr);

// The same with the bytes in one buffer of length bytes.
TransferResult readMemoryTo(const MemoryPort& port, uint64_t address, uint8_t* out,
                            std::size_t length);
TransferResult writeMemoryFrom(const MemoryPort& port, uint64_t address, const uint8_t* data,
                               std::size_t length);

}  // namespace tool
