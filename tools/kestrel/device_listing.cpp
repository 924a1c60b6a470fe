#include "device_listing.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "link/usb_ids.h"
#include "platform/os.h"

namespace tool {
namespace {

constexpr int kMaxPorts = 7;  // USB 3 allows at most seven levels below the root hub
constexpr int kSerialBytes = 256;
constexpr int kProbeInterfaces = 4;

int identityRow(uint16_t vendorId, uint16_t productId) {
  for (int row = 0; row < static_cast<int>(std::size(kst::KST_USB_IDS)); ++row)
    if (kst::KST_USB_IDS[row].vendorId == vendorId && kst::KST_USB_IDS[row].productId == productId)
      return row;
  return -1;
}

std::string pathText(uint8_t bus, const std::vector<uint8_t>& ports) {
  std::string text = std::to_string(bus) + "-";
  for (std::size_t i = 0; i < ports.size(); ++i)
    text += (i == 0 ? "" : ".") + std::to_string(ports[i]);
  return text;
}

// Opens the device (no interface is claimed) to learn whether this user may, and reads its
// serial number on the way.
void probeAccess(const UsbFunctions& usb, libusb_device* device, uint8_t serialIndex,
                 ListedDevice& listed) {
  libusb_device_handle* handle = nullptr;
  const int result = usb.open(device, &handle);
  if (result != LIBUSB_SUCCESS) {
    listed.access = result == LIBUSB_ERROR_ACCESS ? Access::NoPermission : Access::Failed;
    listed.openError = result;
    return;
  }
  if (serialIndex != 0) {
    unsigned char text[kSerialBytes] = {};
    const int length = usb.getStringDescriptorAscii(handle, serialIndex, text, sizeof text);
    if (length > 0)
      listed.serial.assign(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
  }
  usb.close(handle);
}

}  // namespace

const char kBootloaderHint[] =
    "unplug it and plug it in again, which starts its firmware; if it stays in the bootloader, "
    "its firmware is damaged: write the image again with a DFU tool such as dfu-util";

const char kUdevHint[] =
    "this user may not open it; install the udev rule from the README (section 'The tool') "
    "and plug the probe in again";

bool listDevices(const UsbFunctions& usb, std::vector<ListedDevice>& devices, std::string& error) {
  devices.clear();
  libusb_context* context = nullptr;
  if (usb.init(&context) != LIBUSB_SUCCESS) {
    error = "libusb could not be initialised";
    return false;
  }
  libusb_device** list = nullptr;
  const ssize_t count = usb.getDeviceList(context, &list);
  if (count < 0) {
    usb.exit(context);
    error = "libusb could not list the USB devices";
    return false;
  }
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor descriptor{};
    if (usb.getDeviceDescriptor(list[i], &descriptor) != LIBUSB_SUCCESS) continue;
    ListedDevice listed;
    listed.vendorId = descriptor.idVendor;
    listed.productId = descriptor.idProduct;
    listed.identityRow = identityRow(descriptor.idVendor, descriptor.idProduct);
    const bool bootloader = descriptor.idVendor == kst::KST_DFU_VENDOR_ID &&
                            descriptor.idProduct == kst::KST_DFU_PRODUCT_ID;
    if (listed.identityRow < 0 && !bootloader) continue;
    listed.kind = bootloader ? DeviceKind::Bootloader : DeviceKind::Probe;
    listed.bus = usb.getBusNumber(list[i]);
    uint8_t ports[kMaxPorts] = {};
    const int depth = usb.getPortNumbers(list[i], ports, kMaxPorts);
    if (depth > 0) listed.ports.assign(ports, ports + depth);
    listed.path = pathText(listed.bus, listed.ports);
    listed.address = usb.getDeviceAddress(list[i]);
    listed.busOrder = static_cast<std::size_t>(i);
    probeAccess(usb, list[i], descriptor.iSerialNumber, listed);
    devices.push_back(std::move(listed));
  }
  usb.freeDeviceList(list, 1);
  usb.exit(context);
  std::stable_sort(devices.begin(), devices.end(),
                   [](const ListedDevice& a, const ListedDevice& b) {
                     return a.bus != b.bus ? a.bus < b.bus : a.ports < b.ports;
                   });
  return true;
}

bool interfaceBusy(const UsbFunctions& usb, const ListedDevice& wanted) {
  libusb_context* context = nullptr;
  if (usb.init(&context) != LIBUSB_SUCCESS) return false;
  libusb_device** list = nullptr;
  const ssize_t count = usb.getDeviceList(context, &list);
  bool busy = false;
  for (ssize_t i = 0; i < count; ++i) {
    uint8_t ports[kMaxPorts] = {};
    const int depth = usb.getPortNumbers(list[i], ports, kMaxPorts);
    if (usb.getBusNumber(list[i]) != wanted.bus || depth < 0 ||
        std::vector<uint8_t>(ports, ports + depth) != wanted.ports)
      continue;
    libusb_device_handle* handle = nullptr;
    if (usb.open(list[i], &handle) != LIBUSB_SUCCESS) break;
    // The probe's interfaces are the first few; any of them held elsewhere makes it busy.
    for (int number = 0; number < kProbeInterfaces && !busy; ++number) {
      const int claimed = usb.claimInterface(handle, number);
      if (claimed == LIBUSB_SUCCESS) usb.releaseInterface(handle, number);
      busy = claimed == LIBUSB_ERROR_BUSY;
    }
    usb.close(handle);
    break;
  }
  if (count >= 0) usb.freeDeviceList(list, 1);
  usb.exit(context);
  return busy;
}

std::string deviceHolder(const ListedDevice& device) {
  return os::deviceHolder(device.bus, device.address);
}

std::string busyText(const UsbFunctions& usb, const ListedDevice& device) {
  if (!interfaceBusy(usb, device)) return {};
  const std::string holder = deviceHolder(device);
  return "the probe at " + device.path + " is busy: " +
         (holder.empty() ? "another program" : holder) + " holds it; end that program or wait";
}

std::string usbIdText(const ListedDevice& device) {
  char text[16];
  std::snprintf(text, sizeof text, "%04x:%04x", device.vendorId, device.productId);
  return text;
}

std::string accessText(const ListedDevice& device) {
  switch (device.access) {
    case Access::Ok:
      return "ok";
    case Access::NoPermission:
      return "no permission";
    case Access::Failed:
      break;
  }
  const char* reason = "error";
  switch (device.openError) {
    case LIBUSB_ERROR_IO:
      reason = "I/O error";
      break;
    case LIBUSB_ERROR_NO_DEVICE:
      reason = "gone";
      break;
    case LIBUSB_ERROR_BUSY:
      reason = "busy";
      break;
    case LIBUSB_ERROR_NOT_SUPPORTED:
      reason = "no driver";
      break;
    default:
      break;
  }
  return std::string("cannot open: ") + reason + " (libusb " + std::to_string(device.openError) +
         ")";
}

const char* kindText(DeviceKind kind) {
  return kind == DeviceKind::Probe ? "probe" : "bootloader";
}

}  // namespace tool
