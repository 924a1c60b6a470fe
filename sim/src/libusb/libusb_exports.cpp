// The libusb-1.0 functions, with libusb's documented meanings and error codes, over the
// emulated bus.
#include <libusb.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "capture/capture_file.h"
#include "libusb/config_descriptor.h"
#include "usb/bus.h"
#include "usb/bus_layout.h"
#include "usb/descriptors.h"

#define KSIM_EXPORT extern "C" __attribute__((visibility("default")))

struct libusb_context {
  int unused;
};

struct libusb_device {
  ksim::DeviceId id;
  int references;
};

struct alignas(64) libusb_device_handle {  // one per thread: see BusDevice
  ksim::DeviceOpen open;  // the bus's record of this open, with the claims it holds
  libusb_device* device;
  // The interfaces claimed through libusb_claim_interface: libusb releases and switches only
  // these, while a transfer's implicit claim is known to usbfs alone until the handle closes.
  uint32_t claimedByLibusb = 0;
};

namespace {

using ksim::BusDevice;
using ksim::BusState;
namespace usb = ksim::usb;

int libusbCode(usb::Status status) {
  switch (status) {
    case usb::Status::Ok:
      return LIBUSB_SUCCESS;
    case usb::Status::Stall:
      return LIBUSB_ERROR_PIPE;
    case usb::Status::Timeout:
      return LIBUSB_ERROR_TIMEOUT;
    case usb::Status::NoDevice:
      return LIBUSB_ERROR_NO_DEVICE;
    case usb::Status::NotFound:
      return LIBUSB_ERROR_NOT_FOUND;
    case usb::Status::Busy:
      return LIBUSB_ERROR_BUSY;
    case usb::Status::Access:
      return LIBUSB_ERROR_ACCESS;
    case usb::Status::Overflow:
      return LIBUSB_ERROR_OVERFLOW;
  }
  return LIBUSB_ERROR_OTHER;
}

void unref(BusState& state, libusb_device* device) {
  if (device != nullptr && --device->references == 0) {
    --state.live.devices;
    delete device;
  }
}

bool claimedByLibusb(const libusb_device_handle& handle, int number) {
  return number >= 0 && number < 32 && (handle.claimedByLibusb >> number & 1) != 0;
}

// A request through a handle: the device's lock for as long as it runs, and the departure its
// function may ask for settled when it is over.
class Request {
 public:
  explicit Request(const libusb_device_handle* handle)
      : device_(handle != nullptr ? handle->open.device.get() : nullptr) {
    if (device_ != nullptr) lock_ = std::unique_lock<std::mutex>(device_->mutex);
  }
  ~Request() {
    if (device_ != nullptr) ksim::finishRequest(ksim::bus(), *device_, lock_);
  }
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;

  // The device while it is on the bus in the stay the handle opened, else null.
  BusDevice* present(const libusb_device_handle* handle) const {
    return device_ != nullptr && handle->open.attached() ? device_ : nullptr;
  }

 private:
  BusDevice* device_;
  std::unique_lock<std::mutex> lock_;
};

void logEvent(ksim::DeviceId id, ksim::EventKind kind, uint8_t endpoint, int length,
              unsigned timeout, int result, const uint8_t* data, int count) {
  ksim::TrafficLog& log = ksim::bus().log;
  if (!log.on()) return;
  ksim::Event event{id, kind, endpoint, length, timeout, result, {}};
  if (data != nullptr && count > 0) event.data.assign(data, data + count);
  log.add(std::move(event));
}

// Hands a finished transfer to the capture file, when one is being written.
void capture(const BusDevice& device, uint8_t endpoint, const usb::SetupPacket* setup,
             const unsigned char* data, int length, int transferred, usb::Status status) {
  ksim::capture::Transfer transfer;
  transfer.busNumber = ksim::layout::kBusNumber;
  transfer.deviceAddress = ksim::layout::addressOf(device.id);
  transfer.endpoint = endpoint;
  transfer.setup = setup;
  transfer.data = data;
  transfer.length = static_cast<uint32_t>(length);
  transfer.transferred = static_cast<uint32_t>(transferred);
  transfer.status = status;
  ksim::capture::record(transfer);
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
    if (!device->present || i == count) continue;
    entries[i++] = new libusb_device{device->id, 1};
    ++state.live.devices;
  }
  entries[i] = nullptr;
  ++state.live.deviceLists;
  ksim::scanDone(state);
  *list = entries;
  return static_cast<ssize_t>(i);
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
  const std::shared_ptr<BusDevice> sim = ksim::findDevice(state, device->id);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  const usb::DeviceDescriptor& from = sim->descriptor;
  *descriptor = libusb_device_descriptor{};
  descriptor->bLength = LIBUSB_DT_DEVICE_SIZE;
  descriptor->bDescriptorType = LIBUSB_DT_DEVICE;
  descriptor->bcdUSB = from.bcdUsb;
  descriptor->bDeviceClass = from.deviceClass;
  descriptor->bDeviceSubClass = from.deviceSubClass;
  descriptor->bDeviceProtocol = from.deviceProtocol;
  descriptor->bMaxPacketSize0 = from.maxPacketSize0;
  descriptor->idVendor = from.vendorId;
  descriptor->idProduct = from.productId;
  descriptor->bcdDevice = from.bcdDevice;
  descriptor->iManufacturer = from.manufacturerIndex;
  descriptor->iProduct = from.productIndex;
  descriptor->iSerialNumber = from.serialIndex;
  descriptor->bNumConfigurations = from.configurationCount;
  return LIBUSB_SUCCESS;
}

// The virtual functions have one configuration, always the active one. As on Linux the
// descriptor comes from the bytes the device gave at enumeration, with no request on the bus.
KSIM_EXPORT int libusb_get_config_descriptor(libusb_device* device, uint8_t index,
                                             libusb_config_descriptor** config) {
  if (device == nullptr || config == nullptr) return LIBUSB_ERROR_INVALID_PARAM;
  std::shared_ptr<BusDevice> sim;
  {
    BusState& state = ksim::bus();
    std::lock_guard<std::mutex> lock(state.mutex);
    sim = ksim::findDevice(state, device->id);
  }
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  if (index != 0) return LIBUSB_ERROR_NOT_FOUND;
  return ksim::libusb::parseConfigDescriptor(sim->configuration.data(), sim->configuration.size(),
                                             config);
}

KSIM_EXPORT int libusb_get_active_config_descriptor(libusb_device* device,
                                                    libusb_config_descriptor** config) {
  return libusb_get_config_descriptor(device, 0, config);
}

KSIM_EXPORT void libusb_free_config_descriptor(libusb_config_descriptor* config) {
  ksim::libusb::freeConfigDescriptor(config);
}

KSIM_EXPORT uint8_t libusb_get_device_address(libusb_device* device) {
  return device != nullptr ? ksim::layout::addressOf(device->id) : 0;
}

KSIM_EXPORT int libusb_open(libusb_device* device, libusb_device_handle** handle) {
  if (device == nullptr || handle == nullptr) return LIBUSB_ERROR_INVALID_PARAM;
  auto* opened = new (std::nothrow) libusb_device_handle{};
  if (opened == nullptr) return LIBUSB_ERROR_NO_MEM;
  BusState& state = ksim::bus();
  const usb::Status status = ksim::openDevice(state, device->id, opened->open);
  if (status != usb::Status::Ok) {
    delete opened;
    return libusbCode(status);
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  ++device->references;
  opened->device = device;
  *handle = opened;
  ++state.live.handles;
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT void libusb_close(libusb_device_handle* handle) {
  if (handle == nullptr) return;
  ksim::closeDevice(handle->open);
  BusState& state = ksim::bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  unref(state, handle->device);
  --state.live.handles;
  delete handle;
}

// As libusb does it: a GET_DESCRIPTOR request for the string in US English, its UTF-16LE
// text cut to ASCII (other characters become '?').
KSIM_EXPORT int libusb_get_string_descriptor_ascii(libusb_device_handle* handle, uint8_t index,
                                                   unsigned char* data, int length) {
  if (handle == nullptr || data == nullptr || length <= 0 || index == 0)
    return LIBUSB_ERROR_INVALID_PARAM;
  Request request(handle);
  BusDevice* sim = request.present(handle);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  uint8_t descriptor[255];
  int received = 0;
  const usb::SetupPacket setup{LIBUSB_ENDPOINT_IN, LIBUSB_REQUEST_GET_DESCRIPTOR,
                               static_cast<uint16_t>(LIBUSB_DT_STRING << 8 | index), 0x0409,
                               sizeof descriptor};
  const usb::Status status = sim->function->control(setup, descriptor, received);
  capture(*sim, LIBUSB_ENDPOINT_IN, &setup, descriptor, setup.length, received, status);
  if (status != usb::Status::Ok) return libusbCode(status);
  if (received < 2 || descriptor[1] != LIBUSB_DT_STRING || descriptor[0] > received)
    return LIBUSB_ERROR_IO;
  int count = 0;
  for (int at = 2; at + 1 < descriptor[0] && count < length - 1; at += 2)
    data[count++] = descriptor[at + 1] == 0 && descriptor[at] < 0x80 ? descriptor[at] : '?';
  data[count] = '\0';
  return count;
}

KSIM_EXPORT int libusb_claim_interface(libusb_device_handle* handle, int number) {
  Request request(handle);
  if (request.present(handle) == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  const usb::Status status = ksim::claimInterface(handle->open, number);
  if (status == usb::Status::Ok) handle->claimedByLibusb |= 1u << number;
  return libusbCode(status);
}

KSIM_EXPORT int libusb_release_interface(libusb_device_handle* handle, int number) {
  Request request(handle);
  BusDevice* sim = request.present(handle);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  if (!claimedByLibusb(*handle, number)) return LIBUSB_ERROR_NOT_FOUND;
  handle->claimedByLibusb &= ~(1u << number);
  return libusbCode(sim->claims.release(handle->open.holder(), number));
}

// SET_INTERFACE on the bus. As the kernel allows, an interface with a single alternate
// setting may stall it: there is nothing to switch.
KSIM_EXPORT int libusb_set_interface_alt_setting(libusb_device_handle* handle, int number,
                                                 int setting) {
  Request request(handle);
  BusDevice* sim = request.present(handle);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  if (!claimedByLibusb(*handle, number)) return LIBUSB_ERROR_NOT_FOUND;
  const std::vector<uint8_t>& configuration = sim->configuration;
  if (setting < 0 || !usb::hasAlternateSetting(configuration, number, setting))
    return LIBUSB_ERROR_NOT_FOUND;
  const usb::SetupPacket setup{LIBUSB_RECIPIENT_INTERFACE, LIBUSB_REQUEST_SET_INTERFACE,
                               static_cast<uint16_t>(setting), static_cast<uint16_t>(number), 0};
  int transferred = 0;
  usb::Status status = sim->function->control(setup, nullptr, transferred);
  capture(*sim, 0, &setup, nullptr, 0, 0, status);
  if (status == usb::Status::Stall && usb::alternateSettingCount(configuration, number) == 1)
    status = usb::Status::Ok;
  return libusbCode(status);
}

// A port reset. A device that comes back as another one (a bootloader that starts its
// application) is, as libusb says, one to close and look for again: LIBUSB_ERROR_NOT_FOUND.
// Otherwise claims stay as they were.
KSIM_EXPORT int libusb_reset_device(libusb_device_handle* handle) {
  {
    Request request(handle);
    BusDevice* sim = request.present(handle);
    if (sim == nullptr) return LIBUSB_ERROR_NOT_FOUND;
    sim->function->busReset();
  }
  Request after(handle);
  return after.present(handle) != nullptr ? LIBUSB_SUCCESS : LIBUSB_ERROR_NOT_FOUND;
}

KSIM_EXPORT int libusb_clear_halt(libusb_device_handle* handle, unsigned char endpoint) {
  Request request(handle);
  BusDevice* sim = request.present(handle);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  logEvent(sim->id, ksim::EventKind::ClearHalt, endpoint, 0, 0, LIBUSB_SUCCESS, nullptr, 0);
  sim->function->clearHalt(endpoint);
  // On the bus: CLEAR_FEATURE(ENDPOINT_HALT) to the endpoint.
  const usb::SetupPacket clearFeature{LIBUSB_RECIPIENT_ENDPOINT, LIBUSB_REQUEST_CLEAR_FEATURE, 0,
                                      endpoint, 0};
  capture(*sim, 0, &clearFeature, nullptr, 0, 0, usb::Status::Ok);
  return LIBUSB_SUCCESS;
}

KSIM_EXPORT int libusb_kernel_driver_active(libusb_device_handle* handle, int number) {
  Request request(handle);
  const BusDevice* sim = request.present(handle);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  if (!ksim::hasInterface(*sim, number)) return LIBUSB_ERROR_NOT_FOUND;
  return sim->claims.kernelDriverBound(number) ? 1 : 0;
}

KSIM_EXPORT int libusb_detach_kernel_driver(libusb_device_handle* handle, int number) {
  Request request(handle);
  BusDevice* sim = request.present(handle);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  if (!ksim::hasInterface(*sim, number) || !sim->claims.kernelDriverBound(number))
    return LIBUSB_ERROR_NOT_FOUND;
  sim->claims.bindKernelDriver(number, false);
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

// Returns the bytes moved in the data stage, or a libusb error.
KSIM_EXPORT int libusb_control_transfer(libusb_device_handle* handle, uint8_t requestType,
                                        uint8_t request, uint16_t value, uint16_t index,
                                        unsigned char* data, uint16_t length,
                                        unsigned int timeout) {
  if (handle == nullptr || (data == nullptr && length > 0)) return LIBUSB_ERROR_INVALID_PARAM;
  Request held(handle);
  BusDevice* sim = held.present(handle);
  if (sim == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  int transferred = 0;
  const usb::SetupPacket setup{requestType, request, value, index, length};
  const usb::Status status = sim->function->control(setup, data, transferred);
  const int result = status == usb::Status::Ok ? transferred : libusbCode(status);
  const bool in = (requestType & LIBUSB_ENDPOINT_IN) != 0;
  capture(*sim, requestType & LIBUSB_ENDPOINT_IN, &setup, data, length, transferred, status);
  logEvent(sim->id, ksim::EventKind::Control, 0, length, timeout,
           result < 0 ? result : LIBUSB_SUCCESS, data,
           result < 0 ? 0 : (in ? transferred : length));
  return result;
}

KSIM_EXPORT int libusb_bulk_transfer(libusb_device_handle* handle, unsigned char endpoint,
                                     unsigned char* data, int length, int* transferred,
                                     unsigned int timeout) {
  if (handle == nullptr || (data == nullptr && length > 0) || length < 0)
    return LIBUSB_ERROR_INVALID_PARAM;
  int count = 0;
  usb::Status status = usb::Status::NoDevice;
  {
    Request request(handle);
    if (BusDevice* sim = request.present(handle)) {
      status = ksim::bulkTransfer(handle->open, endpoint, data, length, count);
      capture(*sim, endpoint, nullptr, data, length, count, status);
    }
  }
  const int result = libusbCode(status);
  if (transferred != nullptr) *transferred = count;
  const bool in = (endpoint & LIBUSB_ENDPOINT_IN) != 0;
  ksim::bus().clock.bulk(in, count, in && result == LIBUSB_ERROR_TIMEOUT ? timeout : 0);
  logEvent(handle->open.device->id, in ? ksim::EventKind::BulkIn : ksim::EventKind::BulkOut,
           endpoint, length, timeout, result, data, in ? count : length);
  return result;
}

// Where each device sits on the bus, for tools that list devices by bus path (usb/bus_layout.h).
KSIM_EXPORT uint8_t libusb_get_bus_number(libusb_device*) {
  return ksim::layout::kBusNumber;
}

KSIM_EXPORT int libusb_get_port_numbers(libusb_device* device, uint8_t* ports, int length) {
  if (device == nullptr || ports == nullptr || length <= 0) return LIBUSB_ERROR_INVALID_PARAM;
  if (length < 2) return LIBUSB_ERROR_OVERFLOW;
  ports[0] = static_cast<uint8_t>(ksim::layout::rootPortOf(device->id));
  ports[1] = static_cast<uint8_t>(ksim::layout::hubPortOf(device->id));
  return 2;
}
