#include "bootloader/bootloader_function.h"

#include "link/usb_ids.h"
#include "probe/probe_function.h"

namespace ksim {

BootloaderFunction::BootloaderFunction(const ProbeConfig& probe)
    : probe_(probe), model_(probe.dfu.flash, probe.dfu.faults) {}

usb::DeviceDescriptor BootloaderFunction::deviceDescriptor() const {
  usb::DeviceDescriptor descriptor;
  descriptor.vendorId = kst::KST_DFU_VENDOR_ID;
  descriptor.productId = kst::KST_DFU_PRODUCT_ID;
  return descriptor;
}

std::vector<uint8_t> BootloaderFunction::configurationDescriptor() const {
  return model_.configDescriptor();
}

std::string BootloaderFunction::stringDescriptor(uint8_t index) const {
  std::vector<uint8_t> bytes(255);
  const ControlReply reply = const_cast<Bootloader&>(model_).control(
      {0x80, 6, static_cast<uint16_t>(0x0300 | index), 0, static_cast<uint16_t>(bytes.size())},
      bytes.data());
  std::string text;
  for (uint16_t i = 2; index != 0 && i + 1 < reply.length; i += 2)
    text.push_back(static_cast<char>(bytes[i]));
  return text;
}

usb::Status BootloaderFunction::open() {
  return probe_.dfu.failOpen ? usb::Status::Access : usb::Status::Ok;
}

usb::Status BootloaderFunction::control(const usb::SetupPacket& setup, uint8_t* data,
                                        int& transferred) {
  const ControlReply reply = model_.control(
      {setup.requestType, setup.request, setup.value, setup.index, setup.length}, data);
  transferred = reply.length;
  if (model_.hasLeft() && !departed_) {
    departed_ = true;
    ProbeConfig returning = probe_;
    returning.firmwareVersion = model_.imageVersion();
    const int scans = probe_.dfu.scansUntilProbe;
    leaveBus(scans < 0 ? nullptr : std::make_unique<ProbeFunction>(returning),
             static_cast<unsigned>(scans < 0 ? 0 : scans));
  }
  switch (reply.outcome) {
    case ControlReply::kDone:
      return usb::Status::Ok;
    case ControlReply::kGone:
      return usb::Status::NoDevice;
    default:
      return usb::Status::Stall;
  }
}

}  // namespace ksim
