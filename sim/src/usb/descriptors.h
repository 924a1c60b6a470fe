// Standard USB descriptors as bytes, and the walk over a configuration descriptor that the
// bus uses to know which interfaces and endpoints a function has.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "usb/usb_function.h"

namespace ksim::usb {

constexpr uint8_t kDescriptorDevice = 1;
constexpr uint8_t kDescriptorConfiguration = 2;
constexpr uint8_t kDescriptorString = 3;
constexpr uint8_t kDescriptorInterface = 4;
constexpr uint8_t kDescriptorEndpoint = 5;

constexpr uint8_t kEndpointBulk = 2;
constexpr uint8_t kClassVendor = 0xFF;

struct InterfaceSpec {
  uint8_t number;
  uint8_t interfaceClass = kClassVendor;
  uint8_t interfaceSubClass = 0;
  uint8_t interfaceProtocol = 0;
  std::vector<uint8_t> bulkEndpoints;     // endpoint addresses, bit 7 set for IN
  std::vector<uint8_t> classDescriptors;  // class-specific descriptors after the interface
};

std::vector<uint8_t> deviceDescriptorBytes(const DeviceDescriptor& descriptor);
// A configuration (value 1, bus-powered, 100 mA) with these interfaces, wTotalLength filled.
std::vector<uint8_t> configurationBytes(const std::vector<InterfaceSpec>& interfaces);
// String descriptor index 0 lists US English; others carry the text as UTF-16LE.
std::vector<uint8_t> stringDescriptorBytes(const std::string& text);
std::vector<uint8_t> languageDescriptorBytes();

// The interface an endpoint belongs to in a configuration, or -1. The walk goes by bLength
// and stops at a descriptor shorter than 2 bytes or running past the end.
int interfaceOfEndpoint(const std::vector<uint8_t>& configuration, uint8_t endpoint);
bool hasInterface(const std::vector<uint8_t>& configuration, int number);
// How many alternate settings an interface has, and whether it has this one.
int alternateSettingCount(const std::vector<uint8_t>& configuration, int number);
bool hasAlternateSetting(const std::vector<uint8_t>& configuration, int number, int setting);

}  // namespace ksim::usb
