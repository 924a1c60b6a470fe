// Feeds arbitrary configuration descriptors (device bytes) to the virtual probe's libusb
// parser, reads every field and extra byte of what it built, and frees it: the counts must
// describe the arrays, and nothing may be left behind.
#include <cstddef>
#include <cstdint>

#include "libusb/config_descriptor.h"

namespace {

volatile unsigned sink;

void touch(const unsigned char* extra, int length) {
  if (length < 0 || (length > 0 && extra == nullptr)) __builtin_trap();
  for (int i = 0; i < length; ++i) sink = sink + extra[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  libusb_config_descriptor* config = nullptr;
  if (ksim::libusb::parseConfigDescriptor(data, size, &config) != LIBUSB_SUCCESS) {
    if (config != nullptr) __builtin_trap();
    return 0;
  }
  touch(config->extra, config->extra_length);
  for (int i = 0; i < config->bNumInterfaces; ++i) {
    const libusb_interface& interface = config->interface[i];
    if (interface.num_altsetting < 1) __builtin_trap();
    for (int a = 0; a < interface.num_altsetting; ++a) {
      const libusb_interface_descriptor& altsetting = interface.altsetting[a];
      if (altsetting.bInterfaceNumber != interface.altsetting[0].bInterfaceNumber) __builtin_trap();
      touch(altsetting.extra, altsetting.extra_length);
      for (int e = 0; e < altsetting.bNumEndpoints; ++e) {
        sink = sink + altsetting.endpoint[e].wMaxPacketSize;
        touch(altsetting.endpoint[e].extra, altsetting.endpoint[e].extra_length);
      }
    }
  }
  ksim::libusb::freeConfigDescriptor(config);
  return 0;
}
