// The USB identities the Kestrel probe shows and the interface layout each one implies,
// declared here for the virtual probe on its own: a fault in the library's table must not be
// mirrored by the stand-in it is tested against.
#pragma once

#include <cstdint>

namespace ksim {

struct UsbIdentity {
  uint16_t vendorId;
  uint16_t productId;
};

constexpr uint16_t kVendorA = 0x1209;
constexpr uint16_t kVendorB = 0xF055;

// The probe's identities in the maker's order: two under vendor A, three under vendor B.
constexpr UsbIdentity kProbeIdentities[5] = {
    {kVendorA, 0x4B01}, {kVendorA, 0x4B02}, {kVendorB, 0x4B03},
    {kVendorB, 0x4B04}, {kVendorB, 0x4B05},
};

// What the probe's bootloader shows in firmware-update mode.
constexpr UsbIdentity kBootloaderIdentity = {kVendorB, 0x4BDF};

struct InterfaceLayout {
  uint8_t commandInterface;
  uint8_t commandIn;
  uint8_t commandOut;
  uint8_t dataInterface;
  uint8_t dataIn;
  uint8_t dataOut;
};

constexpr InterfaceLayout kCompactLayout{0, 0x81, 0x01, 1, 0x82, 0x02};
constexpr InterfaceLayout kCompositeLayout{2, 0x83, 0x03, 6, 0x87, 0x05};

// The fourth and fifth identities are the compact probes; any other ids, including ids the
// probe never ships under, get the composite layout.
constexpr const InterfaceLayout& layoutFor(uint16_t vendorId, uint16_t productId) {
  for (int row = 3; row < 5; ++row)
    if (kProbeIdentities[row].vendorId == vendorId && kProbeIdentities[row].productId == productId)
      return kCompactLayout;
  return kCompositeLayout;
}

}  // namespace ksim
