// The DFU 1.1 states and statuses, and the names the client gives them and its results
// (the results themselves, DfuResult, are in dfu_result.h).
#pragma once

#include <cstdint>

#include "update/dfu_result.h"

namespace kst::update {

// bState of a DFU_GETSTATUS reply.
enum State : uint8_t {
  kAppIdle = 0,
  kAppDetach = 1,
  kIdle = 2,
  kDnloadSync = 3,
  kDnBusy = 4,
  kDnloadIdle = 5,
  kManifestSync = 6,
  kManifest = 7,
  kManifestWaitReset = 8,
  kUploadIdle = 9,
  kError = 10,
};

// bStatus of a DFU_GETSTATUS reply.
enum Status : uint8_t {
  kStatusOk = 0,
  kErrTarget = 1,
  kErrFile = 2,
  kErrWrite = 3,
  kErrErase = 4,
  kErrCheckErased = 5,
  kErrProg = 6,
  kErrVerify = 7,
  kErrAddress = 8,
  kErrNotDone = 9,
  kErrFirmware = 10,
  kErrVendor = 11,
  kErrUsbr = 12,
  kErrPor = 13,
  kErrUnknownStatus = 14,
  kErrStalledPkt = 15,
};

enum class NameKind { kState, kStatus, kResult };

// The client's name for a state, status or result code; "unknown" for any other value.
// Result names come from the library's registry of result codes.
const char* name(NameKind kind, int32_t code);

}  // namespace kst::update
