// USB identities of the Kestrel probe. The maker has not assigned final ids yet; these are
// the placeholders every part of the system (library, virtual probe, tests) takes from here.
#pragma once

#include <cstdint>

namespace kst {

struct UsbId {
  uint16_t vendorId;
  uint16_t productId;
};

// Tried in this order when a probe is opened. Rows 1-2 share vendor A, rows 3-5 vendor B.
constexpr UsbId KST_USB_IDS[5] = {
    {0x1209, 0x4B01}, {0x1209, 0x4B02}, {0xF055, 0x4B03}, {0xF055, 0x4B04}, {0xF055, 0x4B05},
};

// The identity the probe's bootloader shows in firmware-update mode.
constexpr uint16_t KST_DFU_VENDOR_ID = 0xF055;
constexpr uint16_t KST_DFU_PRODUCT_ID = 0x4BDF;

static_assert(KST_DFU_VENDOR_ID == KST_USB_IDS[2].vendorId, "bootloader uses vendor B");

// Devices under rows 4 and 5 use the compact interface layout; all others the composite one.
constexpr bool usesCompactLayout(uint16_t vendorId, uint16_t productId) {
  return (vendorId == KST_USB_IDS[3].vendorId && productId == KST_USB_IDS[3].productId) ||
         (vendorId == KST_USB_IDS[4].vendorId && productId == KST_USB_IDS[4].productId);
}

}  // namespace kst
