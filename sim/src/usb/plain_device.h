// A device that is not a probe: descriptors and one vendor interface without endpoints. It
// answers the standard descriptor requests and stalls everything else.
#pragma once

#include "usb/usb_function.h"

namespace ksim::usb {

class PlainDevice : public Function {
 public:
  PlainDevice(uint16_t vendorId, uint16_t productId) : vendorId_(vendorId), productId_(productId) {}

  DeviceDescriptor deviceDescriptor() const override;
  std::vector<uint8_t> configurationDescriptor() const override;
  std::string stringDescriptor(uint8_t index) const override;

 private:
  uint16_t vendorId_;
  uint16_t productId_;
};

}  // namespace ksim::usb
