// The virtual probe's libusb parser of configuration descriptors, over the bootloader's own
// descriptors with their faults and over hand-made damaged ones.
#include "libusb/config_descriptor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bootloader/bootloader.h"
#include "support/bus.h"
#include "usb/descriptors.h"

namespace {

using kstest::Bytes;
using kstest::configuration;
using kstest::join;

// "x<config extra>" then per interface " |" and per alternate setting
// " <number>.<setting> <class>/<subclass>/<protocol> x<extra>" and its endpoints' addresses
// (with "+<extra>" when they carry extra bytes).
std::string summary(const libusb_config_descriptor& config) {
  std::string out = "x" + std::to_string(config.extra_length);
  char text[48];
  for (int i = 0; i < config.bNumInterfaces; ++i) {
    out += " |";
    for (int a = 0; a < config.interface[i].num_altsetting; ++a) {
      const libusb_interface_descriptor& alt = config.interface[i].altsetting[a];
      std::snprintf(text, sizeof text, " %d.%d %02x/%02x/%02x x%d", alt.bInterfaceNumber,
                    alt.bAlternateSetting, alt.bInterfaceClass, alt.bInterfaceSubClass,
                    alt.bInterfaceProtocol, alt.extra_length);
      out += text;
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& endpoint = alt.endpoint[e];
        std::snprintf(text, sizeof text, endpoint.extra_length != 0 ? " %02x+%d" : " %02x",
                      endpoint.bEndpointAddress, endpoint.extra_length);
        out += text;
      }
    }
  }
  return out;
}

std::string parsed(const Bytes& bytes) {
  libusb_config_descriptor* config = nullptr;
  const int result = ksim::libusb::parseConfigDescriptor(bytes.data(), bytes.size(), &config);
  if (result != LIBUSB_SUCCESS) return config == nullptr ? libusb_error_name(result) : "leaked";
  const std::string out = summary(*config);
  ksim::libusb::freeConfigDescriptor(config);
  return out;
}

Bytes bootloaderConfig(ksim::DescriptorFault fault) {
  ksim::BootloaderFaults faults;
  faults.descriptors = fault;
  return ksim::Bootloader({}, faults).configDescriptor();
}

Bytes interface(uint8_t number, uint8_t setting, uint8_t endpoints) {
  return {9, 4, number, setting, endpoints, 0xFF, 0, 0, 0};
}

Bytes endpoint(uint8_t address) {
  return {7, 5, address, 2, 0, 2, 0};
}

const Bytes kClassDescriptor = {5, 0x24, 1, 2, 3};

TEST(ConfigDescriptor, ParsesWhatTheDeviceSentUpToTheFirstDamage) {
  using ksim::DescriptorFault;
  const struct {
    const char* name;
    Bytes bytes;
    std::string expected;
  } cases[] = {
      // The bootloader: its DFU functional descriptor is the interface's extra.
      {"bootloader", bootloaderConfig(DescriptorFault::kNone), "x0 | 0.0 fe/01/02 x9"},
      {"wTotalLength past the bytes", bootloaderConfig(DescriptorFault::kTotalLarger),
       "x0 | 0.0 fe/01/02 x9"},
      {"wTotalLength short of them", bootloaderConfig(DescriptorFault::kTotalSmaller),
       "x0 | 0.0 fe/01/02 x0"},
      {"interface bLength 0", bootloaderConfig(DescriptorFault::kZeroLength), "x0"},
      {"vendor interface", bootloaderConfig(DescriptorFault::kNoDfuInterface),
       "x0 | 0.0 ff/00/00 x9"},
      {"probe",
       ksim::usb::configurationBytes(
           {{2, 0xFF, 0, 0, {0x83, 0x03}, {}}, {6, 0xFF, 0, 0, {0x87, 0x05}, {}}}),
       "x0 | 2.0 ff/00/00 x0 83 03 | 6.0 ff/00/00 x0 87 05"},
      // Class descriptors belong to what they follow; settings group by interface number.
      {"extras and settings",
       configuration(join({kClassDescriptor, interface(1, 0, 0), interface(3, 0, 1), endpoint(0x81),
                           kClassDescriptor, interface(1, 1, 0), kClassDescriptor}),
                     2),
       "x5 | 1.0 ff/00/00 x0 1.1 ff/00/00 x5 | 3.0 ff/00/00 x0 81+5"},
      {"fewer endpoints than declared", configuration(join({interface(0, 0, 3), endpoint(0x81)})),
       "x0 | 0.0 ff/00/00 x0 81"},
      {"more interfaces than declared",
       configuration(join({interface(0, 0, 0), interface(1, 0, 0)})), "x0 | 0.0 ff/00/00 x0"},
      {"interface too short",
       configuration(join({interface(0, 0, 0), {8, 4, 1, 0, 0, 0, 0, 0}}), 2),
       "x0 | 0.0 ff/00/00 x0"},
      {"endpoint too short", configuration(join({interface(0, 0, 1), {6, 5, 0x81, 2, 0, 2}})),
       "x0 | 0.0 ff/00/00 x0"},
      {"descriptor past the end", configuration(join({interface(0, 0, 0), {9, 0x21, 1}})),
       "x0 | 0.0 ff/00/00 x0"},
      {"bLength 1", configuration(join({{1, 0x24}, interface(0, 0, 0)})), "x0"},
      {"empty", {}, "LIBUSB_ERROR_IO"},
      {"a device descriptor", Bytes{18, 1, 0, 2, 0, 0, 0, 64, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
       "LIBUSB_ERROR_IO"},
      {"wTotalLength below bLength", Bytes{9, 2, 5, 0, 1, 1, 0, 0x80, 50}, "LIBUSB_ERROR_IO"},
      {"header cut", Bytes{9, 2, 9, 0, 1}, "LIBUSB_ERROR_IO"},
  };
  for (const auto& c : cases) EXPECT_EQ(parsed(c.bytes), c.expected) << c.name;
}

}  // namespace
