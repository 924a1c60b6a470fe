#include "usb/plain_device.h"

#include "usb/descriptors.h"

namespace ksim::usb {

DeviceDescriptor PlainDevice::deviceDescriptor() const {
  DeviceDescriptor descriptor;
  descriptor.vendorId = vendorId_;
  descriptor.productId = productId_;
  return descriptor;
}

std::vector<uint8_t> PlainDevice::configurationDescriptor() const {
  return configurationBytes({InterfaceSpec{0, kClassVendor, 0, 0, {}, {}}});
}

std::string PlainDevice::stringDescriptor(uint8_t index) const {
  switch (index) {
    case 1:
      return "Kestrel";
    case 2:
      return "USB Device";
    case 3:
      return "0000";
    default:
      return {};
  }
}

}  // namespace ksim::usb
