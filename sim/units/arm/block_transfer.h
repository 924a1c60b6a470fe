// Memory blocks through a MEM-AP as the firmware moves them: CSW and TAR once, then one DRW
// access per element, TAR written again at every 1 KiB boundary (auto-increment carries no
// further).
#pragma once

#include <cstdint>

#include "debug_port.h"

namespace ksim {

struct BlockRequest {
  uint8_t ap;
  uint64_t address;
  uint32_t count;      // bytes
  uint8_t size;        // 0 bytes, 1 halfwords, 2 words
  bool increment;      // false: every element at the same address (a FIFO register)
  uint32_t attribute;  // CSW bits 8-31 of the accesses
};

// 0, or the firmware's error: bad arguments (no such AP, a size other than 0-2, an address
// or count not aligned to the size, a block past the AP's address space), a powered-down
// debug port, or a memory fault (the block stops there).
int32_t blockRead(DebugPort& port, const BlockRequest& request, uint8_t* out);
int32_t blockWrite(DebugPort& port, const BlockRequest& request, const uint8_t* data);

}  // namespace ksim
