// Which probe firmware the library works with: the required version or later, within its
// family (the same major and minor numbers). The open of a controller and the update both
// decide by it, and the tool says by it whether a probe is outdated.
#pragma once

#include <cstdint>

#include "kestrel/kst_update.h"

namespace kst::update {

constexpr uint32_t kFirmwareFamilyMask = 0xFFFF0000u;

constexpr bool firmwareAccepted(uint32_t version) {
  return version >= KST_FIRMWARE_REQUIRED && (version & kFirmwareFamilyMask) == KST_FIRMWARE_FAMILY;
}

}  // namespace kst::update
