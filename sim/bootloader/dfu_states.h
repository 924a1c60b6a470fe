// DFU 1.1 states, statuses and class requests, as the bootloader uses them.
#pragma once

#include <cstdint>

namespace ksim::dfu {

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

enum Status : uint8_t {
  kOk = 0,
  kErrAddress = 8,
  kErrNotDone = 9,
  kErrStalledPkt = 15,
};

enum Request : uint8_t {
  kDetach = 0,
  kDnload = 1,
  kUpload = 2,
  kGetStatus = 3,
  kClrStatus = 4,
  kGetState = 5,
  kAbort = 6,
};

constexpr uint8_t kCorvidCheck = 0x42;
constexpr uint8_t kCanUpload = 0x02;
constexpr uint8_t kManifestationTolerant = 0x04;

}  // namespace ksim::dfu
