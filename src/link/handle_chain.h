// The chain from the host framework's scan-manager handle to a probe context. The leading
// fields of the controller handle and the shared controller record are fixed; the records
// that own them embed these heads as their first member.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kestrel/kst_types.h"

namespace kst {

struct SharedControllerHead {
  uint32_t firmwareVersion;
  uint16_t hardwareId;
  uint32_t bindCount;
  uint32_t openCount;
  KSTInform* probe;
};

struct ControllerHandleHead {
  uint32_t shareBlockSize;
  void* shareBlock;
  void* shareKey;
  SharedControllerHead* controller;
};

// Byte offset of the controller-handle pointer inside the scan-manager handle.
constexpr std::size_t kSmgControllerHandleOffset = 216;

// Follows the chain; null at the first null link.
KSTInform* probeOfSmgHandle(const void* smgHandle);

}  // namespace kst
