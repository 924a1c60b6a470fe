#include "libusb/config_descriptor.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "link/wire.h"

namespace ksim::libusb {
namespace {

using kst::wire::Reader;

constexpr uint8_t kEndpointAudioExtra = 2;  // bRefresh and bSynchAddress after the 7 bytes

// The parsed configuration in growable form; copied into libusb's arrays once complete.
struct Endpoint {
  libusb_endpoint_descriptor descriptor{};
  std::vector<uint8_t> extra;
};

struct AltSetting {
  libusb_interface_descriptor descriptor{};
  std::vector<uint8_t> extra;
  std::vector<Endpoint> endpoints;
};

struct Interface {
  std::vector<AltSetting> altsettings;
};

struct Configuration {
  libusb_config_descriptor descriptor{};
  std::vector<uint8_t> extra;
  std::vector<Interface> interfaces;
};

libusb_interface_descriptor readInterface(Reader fields) {
  libusb_interface_descriptor d{};
  d.bLength = fields.u8();
  d.bDescriptorType = fields.u8();
  d.bInterfaceNumber = fields.u8();
  d.bAlternateSetting = fields.u8();
  d.bNumEndpoints = fields.u8();
  d.bInterfaceClass = fields.u8();
  d.bInterfaceSubClass = fields.u8();
  d.bInterfaceProtocol = fields.u8();
  d.iInterface = fields.u8();
  return d;
}

libusb_endpoint_descriptor readEndpoint(Reader fields) {
  libusb_endpoint_descriptor d{};
  d.bLength = fields.u8();
  d.bDescriptorType = fields.u8();
  d.bEndpointAddress = fields.u8();
  d.bmAttributes = fields.u8();
  d.wMaxPacketSize = fields.u16();
  d.bInterval = fields.u8();
  if (fields.remaining() >= kEndpointAudioExtra) {
    d.bRefresh = fields.u8();
    d.bSynchAddress = fields.u8();
  }
  return d;
}

// Where an interface descriptor's alternate setting goes: its interface, or a new one while
// bNumInterfaces allows. Null when it does not.
Interface* interfaceFor(Configuration& config, uint8_t number) {
  for (Interface& interface : config.interfaces)
    if (interface.altsettings.front().descriptor.bInterfaceNumber == number) return &interface;
  if (config.interfaces.size() >= config.descriptor.bNumInterfaces) return nullptr;
  return &config.interfaces.emplace_back();
}

// The descriptors after the configuration's own, in order. See the header for where it stops.
void walk(Configuration& config, Reader stream) {
  AltSetting* current = nullptr;
  while (stream.remaining() >= 2) {
    const uint8_t* descriptor = stream.bytes(2);
    const uint8_t length = descriptor[0];
    const uint8_t type = descriptor[1];
    if (length < 2 || stream.bytes(length - 2u) == nullptr) return;
    const Reader fields(descriptor, length);
    if (type == LIBUSB_DT_INTERFACE) {
      if (length < LIBUSB_DT_INTERFACE_SIZE) return;
      const libusb_interface_descriptor read = readInterface(fields);
      Interface* interface = interfaceFor(config, read.bInterfaceNumber);
      if (interface == nullptr) return;
      current = &interface->altsettings.emplace_back();
      current->descriptor = read;
    } else if (type == LIBUSB_DT_ENDPOINT && current != nullptr &&
               current->endpoints.size() < current->descriptor.bNumEndpoints) {
      if (length < LIBUSB_DT_ENDPOINT_SIZE) return;
      current->endpoints.push_back({readEndpoint(fields), {}});
    } else {
      // Class- and vendor-specific descriptors belong to what they follow.
      std::vector<uint8_t>& extra = current == nullptr           ? config.extra
                                    : current->endpoints.empty() ? current->extra
                                                                 : current->endpoints.back().extra;
      extra.insert(extra.end(), descriptor, descriptor + length);
    }
  }
}

// libusb's arrays, built so that a partly built configuration can always be freed: every
// count is set only together with the array it counts.
const unsigned char* copyOf(const std::vector<uint8_t>& bytes, int& length) {
  if (bytes.empty()) return nullptr;
  auto* copy = new unsigned char[bytes.size()];
  std::copy(bytes.begin(), bytes.end(), copy);
  length = static_cast<int>(bytes.size());
  return copy;
}

void fill(libusb_interface_descriptor& out, const AltSetting& in) {
  out = in.descriptor;
  out.bNumEndpoints = 0;
  out.endpoint = nullptr;
  out.extra = nullptr;
  out.extra_length = 0;
  out.extra = copyOf(in.extra, out.extra_length);
  if (in.endpoints.empty()) return;
  auto* endpoints = new libusb_endpoint_descriptor[in.endpoints.size()]();
  out.endpoint = endpoints;
  out.bNumEndpoints = static_cast<uint8_t>(in.endpoints.size());
  for (std::size_t i = 0; i < in.endpoints.size(); ++i) {
    endpoints[i] = in.endpoints[i].descriptor;
    endpoints[i].extra = copyOf(in.endpoints[i].extra, endpoints[i].extra_length);
  }
}

void fill(libusb_config_descriptor& out, const Configuration& in) {
  out.extra = copyOf(in.extra, out.extra_length);
  if (in.interfaces.empty()) return;
  auto* interfaces = new libusb_interface[in.interfaces.size()]();
  out.interface = interfaces;
  out.bNumInterfaces = static_cast<uint8_t>(in.interfaces.size());
  for (std::size_t i = 0; i < in.interfaces.size(); ++i) {
    const std::vector<AltSetting>& from = in.interfaces[i].altsettings;
    auto* altsettings = new libusb_interface_descriptor[from.size()]();
    interfaces[i].altsetting = altsettings;
    interfaces[i].num_altsetting = static_cast<int>(from.size());
    for (std::size_t a = 0; a < from.size(); ++a) fill(altsettings[a], from[a]);
  }
}

struct Free {
  void operator()(libusb_config_descriptor* config) const { freeConfigDescriptor(config); }
};

}  // namespace

int parseConfigDescriptor(const uint8_t* data, std::size_t size,
                          libusb_config_descriptor** config) {
  if (config == nullptr || (data == nullptr && size != 0)) return LIBUSB_ERROR_INVALID_PARAM;
  *config = nullptr;
  Configuration parsed;
  libusb_config_descriptor& d = parsed.descriptor;
  Reader header(data, size);
  d.bLength = header.u8();
  d.bDescriptorType = header.u8();
  d.wTotalLength = header.u16();
  d.bNumInterfaces = header.u8();
  d.bConfigurationValue = header.u8();
  d.iConfiguration = header.u8();
  d.bmAttributes = header.u8();
  d.MaxPower = header.u8();
  const std::size_t end = std::min<std::size_t>(size, d.wTotalLength);
  if (!header.ok() || d.bDescriptorType != LIBUSB_DT_CONFIG || d.bLength < LIBUSB_DT_CONFIG_SIZE ||
      d.bLength > end)
    return LIBUSB_ERROR_IO;
  try {
    walk(parsed, Reader(data + d.bLength, end - d.bLength));
    std::unique_ptr<libusb_config_descriptor, Free> out(new libusb_config_descriptor(d));
    out->bNumInterfaces = 0;  // counted again as the interfaces are copied
    fill(*out, parsed);
    *config = out.release();
    return LIBUSB_SUCCESS;
  } catch (const std::bad_alloc&) {
    return LIBUSB_ERROR_NO_MEM;
  }
}

void freeConfigDescriptor(libusb_config_descriptor* config) {
  if (config == nullptr) return;
  for (int i = 0; i < config->bNumInterfaces; ++i) {
    const libusb_interface& interface = config->interface[i];
    for (int a = 0; a < interface.num_altsetting; ++a) {
      const libusb_interface_descriptor& altsetting = interface.altsetting[a];
      for (int e = 0; e < altsetting.bNumEndpoints; ++e) delete[] altsetting.endpoint[e].extra;
      delete[] altsetting.endpoint;
      delete[] altsetting.extra;
    }
    delete[] interface.altsetting;
  }
  delete[] config->interface;
  delete[] config->extra;
  delete config;
}

}  // namespace ksim::libusb
