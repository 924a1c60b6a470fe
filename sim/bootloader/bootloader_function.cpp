#include "bootloader/bootloader_function.h"

#include "probe/probe_function.h"
#include "probe/probe_identity.h"

namespace ksim {

BootloaderFunction::BootloaderFunction(const ProbeConfig& probe)
    : probe_(probe), model_(probe.dfu.flash, probe.dfu.faults) {}

usb::DeviceDescriptor BootloaderFunction::deviceDescriptor() const {
  usb::DeviceDescriptor descriptor;
  descriptor.vendorId = kBootloaderIdentity.vendorId;
  descriptor.productId = kBootloaderIdentity.productId;
  return descriptor;
}

std::vector<uint8_t> BootloaderFunction::configurationDescriptor() const {
  return model_.configDescriptor();
}

std::string BootloaderFunction::stringDescriptor(uint8_t index) const {
  return Bootloader::stringText(index);
}

usb::Status BootloaderFunction::open() {
  return probe_.dfu.failOpen ? usb::Status::Access : usb::Status::Ok;
}

usb::Status BootloaderFunction::control(const usb::SetupPacket& setup, uint8_t* data,
                                        int& transferred) {
  const ControlReply reply = model_.control(
      {setup.requestType, setup.request, setup.value, setup.index, setup.length}, data);
  transferred = reply.length;
  departIfLeft();
  switch (reply.outcome) {
    case ControlReply::kDone:
      return usb::Status::Ok;
    case ControlReply::kGone:
      return usb::Status::NoDevice;
    default:
      return usb::Status::Stall;
  }
}

void BootloaderFunction::busReset() {
  model_.busReset();
  departIfLeft();
}

void BootloaderFunction::departIfLeft() {
  if (!model_.hasLeft() || departed_) return;
  departed_ = true;
  ProbeConfig returning = probe_;
  returning.firmwareVersion = model_.imageVersion();
  const int scans = probe_.dfu.scansUntilProbe;
  leaveBus(scans < 0 ? nullptr : std::make_unique<ProbeFunction>(returning),
           static_cast<unsigned>(scans < 0 ? 0 : scans));
}

}  // namespace ksim
