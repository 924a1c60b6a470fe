// The libusb-1.0 functions, with libusb's documented meanings and error codes, over the
// emulated bus.
#include <libusb.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "bus.h"

#define KSIM_EXPORT extern "C" __attribute__((visibility("default")))

struct libusb_context {
  int unused;
};

struct libusb_device {
  ksim::DeviceId id;
  int references;
};

struct libusb_device_handle {
  ksim::DeviceId id;
  libusb_device* device;
};

namespace {

using ksim::BusState;
using ksim::SimDevice;

void unref(BusState& state, libusb_device* device) {
  if (device != nullptr && --device->references == 0) {
    --state.live.devices;
    delete device;
  }
}

SimDevice* deviceOf(BusState& state, const libusb_device_handle* handle) {
  return handle != nullptr ? ksim::findDevice(state, handle->id) : nullptr;
}

bool validInterface(const SimDevice& device, int number) {
  if (number < 0 || number >= ksim::kMaxInterfaces) return false;
  if (!device.isProbe) return true;
  return number == device.layout.commandInterface || number == device.layout.dataInterface;
}

std::string stringDescriptor(const SimDevice& device, uint8_t index) {
  switch (index) {
    case 1:
      return "Kestrel";
    case 2:
      return device.isProbe ? "Kestrel USB Debug Probe" : "USB Device";
    case 3:
      return device.isProbe ? device.probe.config.serial : "0000";
    default:
      return {};
  }
}

void logEvent(BusState& state, ksim::DeviceId id, ksim::EventKind kind, uint8_t endpoint,
              int length, unsigned timeout, int result, const uint8_t* data, int count) {
  ksim::Event event{id, kind, endpoint, length, timeout, result, {}};
  if (data != nullptr && count > 0) event.data.assign(data, data + count);
  state.events.push_back(std::move(event));
}

int bulk(SimDevice& device, uint8_t endpoint, unsigned char* data, int length, int& transferred) {
  transferred = 0;
  if (!device.present) return LIBUSB_ERROR_NO_DEVICE;
  if (!device.isProbe) return LIBUSB_ERROR_PIPE;
  const ksim::InterfaceLayout& layout = device.layout;
  const bool commandSide = endpoint == layout.commandIn || endpoint == layout.commandOut;
  const bool dataSide = endpoint == layout.dataIn || endpoint == layout.dataOut;
  if ((commandSide && !device.claimed[layout.commandInterface]) ||
      (dataSide && !device.claimed[layout.dataInterface]) || (!commandSide && !dataSide))
    return LIBUSB_ERROR_NOT_FOUND;
  if (endpoint == layout.commandOut) {
    const int result = ksim::commandOut(device, data, length);
    if (result == LIBUSB_SUCCESS) transferred = length;
    return result;
  }
  if (endpoint == layout.commandIn) return ksim::commandIn(device, data, length, transferred);
  if (endpoint == layout.dataIn) {
    if (device.dataPort.empty()) return LIBUSB_ERROR_TIMEOUT;
    while (transferred < length && !device.dataPort.empty()) {
      data[transferred++] = device.dataPort.front();
      device.dataPort.pop_front();
    }
    return LIBUSB_SUCCESS;
  }
  return LIBUSB_ERROR_TIMEOUT;  // the data OUT endpoint takes nothing
}

}  // namespace

KSIM_EXPORT int libusb_init(libusb_context** context) {
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (context == nullptr) return LIBUSB_SUCCESS;  // the default context needs no object
  *context = new (std::nothrow) libusb_context{};
  if (*context == nullptr) return LIBUSB_ERROR_NO_MEM;
  ++state.live.contexts;
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT void libusb_exit(libusb_context* context) {
  if (context == nullptr) return;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  --state.live.contexts;
  delete context;
}

#if !defined(KSIM_NO_HAS_CAPABILITY)
KSIM_EXPORT int libusb_has_capability(uint32_t capability) {
  return capability == LIBUSB_CAP_HAS_CAPABILITY ||
                 capability == LIBUSB_CAP_SUPPORTS_DETACH_KERNEL_DRIVER
             ? 1
             : 0;
}
#endif

KSIM_EXPORT ssize_t libusb_get_device_list(libusb_context*, libusb_device*** list) {
  if (list == nullptr) return LIBUSB_ERROR_INVALID_PARAM;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::size_t count = 0;
  for (const auto& device : state.devices) count += device->present ? 1 : 0;
  auto** entries = new (std::nothrow) libusb_device*[count + 1];
  if (entries == nullptr) return LIBUSB_ERROR_NO_MEM;
  std::size_t i = 0;
  for (const auto& device : state.devices) {
    if (!device->present) continue;
    entries[i++] = new libusb_device{device->id, 1};
    ++state.live.devices;
  }
  entries[count] = nullptr;
  ++state.live.deviceLists;
  *list = entries;
  return static_cast<ssize_t>(count);
}

KSIM_EXPORT void libusb_free_device_list(libusb_device** list, int unrefDevices) {
  if (list == nullptr) return;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (unrefDevices != 0)
    for (libusb_device** entry = list; *entry != nullptr; ++entry) unref(state, *entry);
  --state.live.deviceLists;
  delete[] list;
}

KSIM_EXPORT libusb_device* libusb_ref_device(libusb_device* device) {
  std::lock_guard<std::mutex> lock(ksim::bus().mutex);
  if (device != nullptr) ++device->references;
  return device;
}

KSIM_EXPORT void libusb_unref_device(libusb_device* device) {
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  unref(state, device);
}

KSIM_EXPORT int libusb_get_device_descriptor(libusb_device* device,
                                             libusb_device_descriptor* descriptor) {
  if (device == nullptr || descriptor == nullptr) return LIBUSB_ERROR_INVALID_PARAM;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  const SimDevice* sim = ksim::findDevice(state, device->id);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  *descriptor = libusb_device_descriptor{};
  descriptor->bLength = LIBUSB_DT_DEVICE_SIZE;
  descriptor->bDescriptorType = LIBUSB_DT_DEVICE;
  descriptor->bcdUSB = 0x0200;
  descriptor->bMaxPacketSize0 = 64;
  descriptor->idVendor = sim->vendorId;
  descriptor->idProduct = sim->productId;
  descriptor->bcdDevice = 0x0100;
  descriptor->iManufacturer = 1;
  descriptor->iProduct = 2;
  descriptor->iSerialNumber = 3;
  descriptor->bNumConfigurations = 1;
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT int libusb_open(libusb_device* device, libusb_device_handle** handle) {
  if (device == nullptr || handle == nullptr) return LIBUSB_ERROR_INVALID_PARAM;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  const SimDevice* sim = ksim::findDevice(state, device->id);
  if (sim == nullptr || !sim->present) return LIBUSB_ERROR_NO_DEVICE;
  if (sim->isProbe && sim->probe.config.failOpen) return LIBUSB_ERROR_ACCESS;
  ++device->references;
  *handle = new libusb_device_handle{device->id, device};
  ++state.live.handles;
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT void libusb_close(libusb_device_handle* handle) {
  if (handle == nullptr) return;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (SimDevice* sim = deviceOf(state, handle))
    for (bool& claimed : sim->claimed) claimed = false;
  unref(state, handle->device);
  --state.live.handles;
  delete handle;
}

KSIM_EXPORT int libusb_get_string_descriptor_ascii(libusb_device_handle* handle, uint8_t index,
                                                   unsigned char* data, int length) {
  if (handle == nullptr || data == nullptr || length <= 0 || index == 0)
    return LIBUSB_ERROR_INVALID_PARAM;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  const SimDevice* sim = deviceOf(state, handle);
  if (sim == nullptr || !sim->present) return LIBUSB_ERROR_NO_DEVICE;
  const std::string text = stringDescriptor(*sim, index);
  if (text.empty()) return LIBUSB_ERROR_PIPE;  // the device stalls an unknown string
  const int count =
      static_cast<int>(text.size()) < length - 1 ? static_cast<int>(text.size()) : length - 1;
  std::memcpy(data, text.data(), static_cast<std::size_t>(count));
  data[count] = '\0';
  return count;
}

KSIM_EXPORT int libusb_claim_interface(libusb_device_handle* handle, int number) {
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  SimDevice* sim = deviceOf(state, handle);
  if (sim == nullptr || !sim->present) return LIBUSB_ERROR_NO_DEVICE;
  if (!validInterface(*sim, number)) return LIBUSB_ERROR_NOT_FOUND;
  if (sim->kernelDriver[number]) return LIBUSB_ERROR_BUSY;
  if (sim->isProbe &&
      ((number == sim->layout.commandInterface && sim->probe.config.failClaimCommand) ||
       (number == sim->layout.dataInterface && sim->probe.config.failClaimData)))
    return LIBUSB_ERROR_BUSY;
  sim->claimed[number] = true;
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT int libusb_release_interface(libusb_device_handle* handle, int number) {
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  SimDevice* sim = deviceOf(state, handle);
  if (sim == nullptr || !sim->present) return LIBUSB_ERROR_NO_DEVICE;
  if (!validInterface(*sim, number) || !sim->claimed[number]) return LIBUSB_ERROR_NOT_FOUND;
  sim->claimed[number] = false;
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT int libusb_clear_halt(libusb_device_handle* handle, unsigned char endpoint) {
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  SimDevice* sim = deviceOf(state, handle);
  if (sim == nullptr || !sim->present) return LIBUSB_ERROR_NO_DEVICE;
  logEvent(state, sim->id, ksim::EventKind::ClearHalt, endpoint, 0, 0, LIBUSB_SUCCESS, nullptr, 0);
  if (endpoint == sim->layout.commandOut) sim->outHalted = false;
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT int libusb_kernel_driver_active(libusb_device_handle* handle, int number) {
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  const SimDevice* sim = deviceOf(state, handle);
  if (sim == nullptr || !sim->present) return LIBUSB_ERROR_NO_DEVICE;
  if (!validInterface(*sim, number)) return LIBUSB_ERROR_NOT_FOUND;
  return sim->kernelDriver[number] ? 1 : 0;
}

KSIM_EXPORT int libusb_detach_kernel_driver(libusb_device_handle* handle, int number) {
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  SimDevice* sim = deviceOf(state, handle);
  if (sim == nullptr || !sim->present) return LIBUSB_ERROR_NO_DEVICE;
  if (!validInterface(*sim, number) || !sim->kernelDriver[number]) return LIBUSB_ERROR_NOT_FOUND;
  sim->kernelDriver[number] = false;
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT libusb_transfer* libusb_alloc_transfer(int isoPackets) {
  if (isoPackets < 0) return nullptr;
  const std::size_t size = sizeof(libusb_transfer) + sizeof(libusb_iso_packet_descriptor) *
                                                         static_cast<std::size_t>(isoPackets);
  return static_cast<libusb_transfer*>(std::calloc(1, size));
}

KSIM_EXPORT int libusb_cancel_transfer(libusb_transfer*) {
  return LIBUSB_ERROR_NOT_FOUND;
}

KSIM_EXPORT void libusb_free_transfer(libusb_transfer* transfer) {
  std::free(transfer);
}

KSIM_EXPORT int libusb_control_transfer(libusb_device_handle* handle, uint8_t requestType,
                                        uint8_t request, uint16_t value, uint16_t index,
                                        unsigned char* data, uint16_t length,
                                        unsigned int timeout) {
  (void)requestType;
  (void)request;
  (void)value;
  (void)index;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  const SimDevice* sim = deviceOf(state, handle);
  if (sim == nullptr || !sim->present) return LIBUSB_ERROR_NO_DEVICE;
  // No class or vendor request is implemented on the control pipe: the device stalls.
  logEvent(state, sim->id, ksim::EventKind::Control, 0, length, timeout, LIBUSB_ERROR_PIPE, data,
           0);
  return LIBUSB_ERROR_PIPE;
}

KSIM_EXPORT int libusb_bulk_transfer(libusb_device_handle* handle, unsigned char endpoint,
                                     unsigned char* data, int length, int* transferred,
                                     unsigned int timeout) {
  if (handle == nullptr || (data == nullptr && length > 0) || length < 0)
    return LIBUSB_ERROR_INVALID_PARAM;
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  SimDevice* sim = deviceOf(state, handle);
  int count = 0;
  const int result =
      sim != nullptr ? bulk(*sim, endpoint, data, length, count) : LIBUSB_ERROR_NO_DEVICE;
  if (transferred != nullptr) *transferred = count;
  const bool in = (endpoint & LIBUSB_ENDPOINT_IN) != 0;
  logEvent(state, handle->id, in ? ksim::EventKind::BulkIn : ksim::EventKind::BulkOut, endpoint,
           length, timeout, result, data, in ? count : length);
  return result;
}

// Where each device sits on the bus, for tools that list devices by bus path. The virtual
// bus is one root hub (bus 1) with a four-port hub on every root port: device n hangs at
// ports (1 + (n-1)/4, 1 + (n-1)%4), so paths read 1-1.1, 1-1.2, ... 1-2.1 and are stable for
// as long as the device is attached.
namespace {

constexpr uint8_t kVirtualBusNumber = 1;
constexpr int kHubPorts = 4;

}  // namespace

KSIM_EXPORT uint8_t libusb_get_bus_number(libusb_device*) {
  return kVirtualBusNumber;
}

KSIM_EXPORT int libusb_get_port_numbers(libusb_device* device, uint8_t* ports, int length) {
  if (device == nullptr || ports == nullptr || length <= 0) return LIBUSB_ERROR_INVALID_PARAM;
  if (length < 2) return LIBUSB_ERROR_OVERFLOW;
  const int slot = device->id - 1;
  ports[0] = static_cast<uint8_t>(1 + slot / kHubPorts);
  ports[1] = static_cast<uint8_t>(1 + slot % kHubPorts);
  return 2;
}
