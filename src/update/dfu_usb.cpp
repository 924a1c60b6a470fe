// The client on libusb: finding and opening the device, its control transfers, and the
// handle's life from open to close.
#include <new>

#include "dfu_corvid.h"
#include "dfu_handle.h"
#include "dfu_transfer.h"
#include "link/libusb_binding.h"
#include "link/usb_device.h"
#include "platform/platform.h"

namespace kst::update {

// The client keeps its own libusb context per opened device.
struct UsbRecord {
  usb::Context* context;
  usb::DeviceHandle* handle;
};

namespace {

constexpr unsigned kControlTimeoutMs = 2000;

int libusbTransfer(void* link, const Setup& setup, uint8_t* data) {
  auto* record = static_cast<UsbRecord*>(link);
  const int result =
      usb::controlTransfer(record->handle, setup.requestType, setup.request, setup.value,
                           setup.index, data, setup.length, kControlTimeoutMs);
  return result < 0 ? -1 : result;
}

void platformPause(void*, uint32_t count) {
  platform::pause(count);
}

void closeUsb(UsbRecord* record) {
  if (record == nullptr) return;
  if (record->handle != nullptr) usb::close(record->handle);
  if (record->context != nullptr) usb::exit(record->context);
  delete record;
}

// The instance-th device with these ids that opens, in a libusb context of its own: 0, -2
// without memory for the record, -3 when there is no such device.
int32_t findDevice(uint16_t vendorId, uint16_t productId, int32_t instance, UsbRecord** out) {
  auto* record = new (std::nothrow) UsbRecord{};
  if (record == nullptr) return DFU_ERR_MEMORY;
  if (usb::init(&record->context) != usb::kSuccess) record->context = nullptr;
  if (record->context != nullptr && instance >= 0)
    record->handle = link::openDeviceByIndex(record->context, vendorId, productId,
                                             static_cast<uint32_t>(instance));
  if (record->handle == nullptr) {
    closeUsb(record);
    return DFU_ERR_NOT_FOUND;
  }
  *out = record;
  return DFU_OK;
}

}  // namespace

int32_t QZDFUDeviceOpen(uint16_t vendorId, uint16_t productId, int32_t instance, DeviceInfo* info,
                        Handle** handle) {
  if (info == nullptr || handle == nullptr) return DFU_ERR_INVALID_ADDR;
  if (!usb::processBindingLoaded()) return DFU_ERR_NOT_FOUND;
  UsbRecord* record = nullptr;
  if (const int32_t found = findDevice(vendorId, productId, instance, &record)) return found;
  auto* opened = new (std::nothrow) Handle{};
  if (opened == nullptr) {
    closeUsb(record);
    return DFU_ERR_MEMORY;
  }
  opened->usb = record;
  opened->port = ControlPort{libusbTransfer, platformPause, record};
  const int32_t result = openOverPort(*opened, *info);
  if (result != DFU_OK) {
    closeUsb(record);
    delete opened;
    return result;
  }
  *handle = opened;
  return DFU_OK;
}

int32_t QZDFUDeviceClose(Handle* handle, uint8_t reset) {
  if (handle == nullptr) return DFU_ERR_HANDLE;
  if (reset != 0 && handle->corvid != 0 && bringToIdle(*handle) == DFU_OK)
    corvidCommand(*handle, kCorvidReset, 0, 0);
  closeUsb(handle->usb);
  delete handle;
  return DFU_OK;
}

}  // namespace kst::update
