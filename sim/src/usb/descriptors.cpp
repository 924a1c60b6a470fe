#include "usb/descriptors.h"

#include "link/wire.h"

namespace ksim::usb {
namespace {

void put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(0);
  out.push_back(0);
  kst::wire::putU16(out.data() + out.size() - 2, value);
}

// Calls visit(type, body, size) for every descriptor of the configuration, in order.
template <class Visit>
void walk(const std::vector<uint8_t>& configuration, Visit visit) {
  std::size_t at = 0;
  while (at + 2 <= configuration.size()) {
    const std::size_t length = configuration[at];
    if (length < 2 || at + length > configuration.size()) return;
    visit(configuration[at + 1], configuration.data() + at, length);
    at += length;
  }
}

}  // namespace

std::vector<uint8_t> deviceDescriptorBytes(const DeviceDescriptor& d) {
  std::vector<uint8_t> out{18, kDescriptorDevice};
  put16(out, d.bcdUsb);
  out.insert(out.end(), {d.deviceClass, d.deviceSubClass, d.deviceProtocol, d.maxPacketSize0});
  put16(out, d.vendorId);
  put16(out, d.productId);
  put16(out, d.bcdDevice);
  out.insert(out.end(), {d.manufacturerIndex, d.productIndex, d.serialIndex, d.configurationCount});
  return out;
}

std::vector<uint8_t> configurationBytes(const std::vector<InterfaceSpec>& interfaces) {
  std::vector<uint8_t> out{
      9, kDescriptorConfiguration, 0, 0, static_cast<uint8_t>(interfaces.size()), 1, 0, 0x80, 50};
  for (const InterfaceSpec& interface : interfaces) {
    out.insert(out.end(),
               {9, kDescriptorInterface, interface.number, 0,
                static_cast<uint8_t>(interface.bulkEndpoints.size()), interface.interfaceClass,
                interface.interfaceSubClass, interface.interfaceProtocol, 0});
    out.insert(out.end(), interface.classDescriptors.begin(), interface.classDescriptors.end());
    for (const uint8_t endpoint : interface.bulkEndpoints) {
      out.insert(out.end(), {7, kDescriptorEndpoint, endpoint, kEndpointBulk});
      put16(out, 512);
      out.push_back(0);
    }
  }
  kst::wire::putU16(out.data() + 2, static_cast<uint16_t>(out.size()));
  return out;
}

std::vector<uint8_t> stringDescriptorBytes(const std::string& text) {
  std::vector<uint8_t> out{0, kDescriptorString};
  for (const char c : text) put16(out, static_cast<uint8_t>(c));
  out[0] = static_cast<uint8_t>(out.size());
  return out;
}

std::vector<uint8_t> languageDescriptorBytes() {
  return {4, kDescriptorString, 0x09, 0x04};
}

int interfaceOfEndpoint(const std::vector<uint8_t>& configuration, uint8_t endpoint) {
  int current = -1;
  int found = -1;
  walk(configuration, [&](uint8_t type, const uint8_t* body, std::size_t length) {
    if (type == kDescriptorInterface && length >= 3) current = body[2];
    if (type == kDescriptorEndpoint && length >= 3 && body[2] == endpoint && found < 0)
      found = current;
  });
  return found;
}

bool hasInterface(const std::vector<uint8_t>& configuration, int number) {
  bool found = false;
  walk(configuration, [&](uint8_t type, const uint8_t* body, std::size_t length) {
    if (type == kDescriptorInterface && length >= 3 && body[2] == number) found = true;
  });
  return found;
}

int alternateSettingCount(const std::vector<uint8_t>& configuration, int number) {
  int count = 0;
  walk(configuration, [&](uint8_t type, const uint8_t* body, std::size_t length) {
    if (type == kDescriptorInterface && length >= 4 && body[2] == number) ++count;
  });
  return count;
}

bool hasAlternateSetting(const std::vector<uint8_t>& configuration, int number, int setting) {
  bool found = false;
  walk(configuration, [&](uint8_t type, const uint8_t* body, std::size_t length) {
    if (type == kDescriptorInterface && length >= 4 && body[2] == number && body[3] == setting)
      found = true;
  });
  return found;
}

}  // namespace ksim::usb
