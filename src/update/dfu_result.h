// Results of the DFU client, in its own numbering: they never leave the library as they are.
// The firmware update turns them into library results at one point, libraryResultOf.
#pragma once

#include <cstdint>

#include "kestrel/kst_results.h"

namespace kst::update {

enum DfuResult : int32_t {
  DFU_OK = 0,
  DFU_ERR_HANDLE = -1,
  DFU_ERR_MEMORY = -2,
  DFU_ERR_NOT_FOUND = -3,
  DFU_ERR_UNKNOWN = -4,
  DFU_ERR_UNSUPPORTED = -5,
  DFU_ERR_INVALID_FORMAT = -6,
  DFU_ERR_INVALID_ADDR = -7,
  DFU_ERR_INVALID_SIZE = -8,
  // -9 and -10 keep their names and numbers, but the client never returns them: a device that
  // leaves the bus fails its next request (-4), and every wait lasts as long as the device asks.
  DFU_ERR_DISCONNECTED = -9,
  DFU_ERR_TIMEOUT = -10,
  DFU_ERR_STALL = -11,
  DFU_ERR_DNLOAD_FAIL = -12,
  DFU_ERR_CANT_VERIFY = -13,
  DFU_ERR_VERIFY_FAIL = -14,
};

// The library result of a DFU client result: every failure of the download is one library
// code; which DFU failure it was goes to the trace, not to the caller.
constexpr int32_t libraryResultOf(DfuResult result) {
  return result == DFU_OK ? KST_OK : KST_ERR_DFU_DOWNLOAD;
}

}  // namespace kst::update
