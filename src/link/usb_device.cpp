#include "usb_device.h"

#include <cstring>
#include <new>

#include "libusb_binding.h"
#include "usb_ids.h"

namespace kst::link {
namespace {

struct InterfaceLayout {
  uint32_t commandInterface;
  uint8_t commandIn;
  uint8_t commandOut;
  uint32_t dataInterface;
  uint8_t dataIn;
  uint8_t dataOut;
};

constexpr InterfaceLayout kCompactLayout{0, 0x81, 0x01, 1, 0x82, 0x02};
constexpr InterfaceLayout kCompositeLayout{2, 0x83, 0x03, 6, 0x87, 0x05};

// Decides whether an opened device with matching ids is the one wanted; may read from it.
using Selector = bool (*)(usb::DeviceHandle* handle, const usb::DeviceDescriptor& descriptor,
                          const void* wanted, uint32_t& passedOver);

bool selectByIndex(usb::DeviceHandle*, const usb::DeviceDescriptor&, const void* wanted,
                   uint32_t& passedOver) {
  const uint32_t index = *static_cast<const uint32_t*>(wanted);
  if (passedOver == index) return true;
  ++passedOver;
  return false;
}

bool selectBySerial(usb::DeviceHandle* handle, const usb::DeviceDescriptor& descriptor,
                    const void* wanted, uint32_t&) {
  const char* serial = static_cast<const char*>(wanted);
  if (serial == nullptr || *serial == '\0') return true;
  constexpr int kSerialBufferSize = 256;
  unsigned char text[kSerialBufferSize + 1] = {};
  const int length =
      usb::getStringDescriptorAscii(handle, descriptor.iSerialNumber, text, kSerialBufferSize);
  if (length <= 0) return false;
  text[length < kSerialBufferSize ? length : kSerialBufferSize] = '\0';
  return std::strcmp(reinterpret_cast<const char*>(text), serial) == 0;
}

// Walks the device list of a fresh context and opens the device the selector takes.
usb::DeviceHandle* findAndOpen(usb::Context* context, uint16_t vendorId, uint16_t productId,
                               Selector select, const void* wanted) {
  usb::Device** list = nullptr;
  const std::ptrdiff_t count = usb::getDeviceList(context, &list);
  if (count <= 0 || list == nullptr) {
    if (list != nullptr) usb::freeDeviceList(list, 1);
    return nullptr;
  }
  usb::DeviceHandle* taken = nullptr;
  uint32_t passedOver = 0;
  for (std::ptrdiff_t i = 0; i < count && taken == nullptr; ++i) {
    usb::DeviceDescriptor descriptor{};
    if (usb::getDeviceDescriptor(list[i], &descriptor) != usb::kSuccess) continue;
    if (descriptor.idVendor != vendorId || descriptor.idProduct != productId) continue;
    usb::DeviceHandle* handle = nullptr;
    if (usb::open(list[i], &handle) != usb::kSuccess || handle == nullptr) continue;
    if (select(handle, descriptor, wanted, passedOver)) {
      taken = handle;
    } else {
      usb::close(handle);
    }
  }
  usb::freeDeviceList(list, 1);
  return taken;
}

// Detaches kernel drivers where libusb can, then claims both interfaces; only the command
// interface's claim decides success.
bool claimInterfaces(const UsbDevice& device) {
  const int interfaces[2] = {static_cast<int>(device.commandInterface),
                             static_cast<int>(device.dataInterface)};
  if (usb::hasCapability(usb::kCapSupportsDetachKernelDriver) != 0) {
    for (const int number : interfaces) {
      if (usb::kernelDriverActive(device.handle, number) != 0)
        usb::detachKernelDriver(device.handle, number);
    }
  }
  const bool commandClaimed = usb::claimInterface(device.handle, interfaces[0]) == usb::kSuccess;
  usb::claimInterface(device.handle, interfaces[1]);
  return commandClaimed;
}

void releaseAndClose(UsbDevice* device) {
  usb::releaseInterface(device->handle, static_cast<int>(device->commandInterface));
  usb::releaseInterface(device->handle, static_cast<int>(device->dataInterface));
  usb::close(device->handle);
  usb::exit(device->context);
  delete device;
}

UsbDevice* openMatching(uint16_t vendorId, uint16_t productId, Selector select,
                        const void* wanted) {
  auto* device = new (std::nothrow) UsbDevice{};
  if (device == nullptr) return nullptr;
  if (usb::init(&device->context) != usb::kSuccess || device->context == nullptr) {
    delete device;
    return nullptr;
  }
  device->handle = findAndOpen(device->context, vendorId, productId, select, wanted);
  if (device->handle == nullptr) {
    usb::exit(device->context);
    delete device;
    return nullptr;
  }
  const InterfaceLayout& layout =
      usesCompactLayout(vendorId, productId) ? kCompactLayout : kCompositeLayout;
  device->commandInterface = layout.commandInterface;
  device->commandIn = layout.commandIn;
  device->commandOut = layout.commandOut;
  device->dataInterface = layout.dataInterface;
  device->dataIn = layout.dataIn;
  device->dataOut = layout.dataOut;
  if (!claimInterfaces(*device)) {
    releaseAndClose(device);
    return nullptr;
  }
  return device;
}

}  // namespace

UsbDevice* usbDeviceOf(const KSTInform& context) {
  if (context.usbDevice == nullptr || context.usbDevice == noUsbDevice()) return nullptr;
  return static_cast<UsbDevice*>(context.usbDevice);
}

usb::DeviceHandle* openDeviceByIndex(usb::Context* context, uint16_t vendorId, uint16_t productId,
                                     uint32_t index) {
  return findAndOpen(context, vendorId, productId, selectByIndex, &index);
}

UsbDevice* openByIndex(uint16_t vendorId, uint16_t productId, uint32_t index) {
  return openMatching(vendorId, productId, selectByIndex, &index);
}

UsbDevice* openBySerial(uint16_t vendorId, uint16_t productId, const char* serial) {
  return openMatching(vendorId, productId, selectBySerial, serial);
}

void closeRecord(UsbDevice* device) {
  if (device != nullptr) releaseAndClose(device);
}

int OpenUSBHandle(KSTInform& context, const char* serial, uint32_t index) {
  context.usbDevice = noUsbDevice();
  const bool bySerial = serial != nullptr && *serial != '\0';
  for (const UsbId& id : KST_USB_IDS) {
    UsbDevice* device = bySerial ? openBySerial(id.vendorId, id.productId, serial)
                                 : openByIndex(id.vendorId, id.productId, index);
    if (device != nullptr) {
      context.usbDevice = device;
      context.vendorId = id.vendorId;
      context.productId = id.productId;
      context.openFlag = 1;
      return 0;
    }
  }
  context.openFlag = 0;
  return 1;
}

void CloseUSBHandle(KSTInform& context) {
  if (UsbDevice* device = usbDeviceOf(context)) {
    closeRecord(device);
    context.usbDevice = noUsbDevice();
  }
  context.openFlag = 0;
}

int CountDfuDevices(const UsbDevice& device) {
  usb::Device** list = nullptr;
  const std::ptrdiff_t count = usb::getDeviceList(device.context, &list);
  int found = 0;
  for (std::ptrdiff_t i = 0; i < count && list != nullptr; ++i) {
    usb::DeviceDescriptor descriptor{};
    if (usb::getDeviceDescriptor(list[i], &descriptor) == usb::kSuccess &&
        descriptor.idVendor == KST_DFU_VENDOR_ID && descriptor.idProduct == KST_DFU_PRODUCT_ID)
      ++found;
  }
  if (list != nullptr) usb::freeDeviceList(list, 1);
  return found;
}

}  // namespace kst::link
