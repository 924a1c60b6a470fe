// The probe's bootloader on the bus: the DFU model behind a USB function. It answers every
// control request itself (its descriptors carry the faults), and after the reset block it
// leaves the bus and the probe returns running the image it was given.
#pragma once

#include "bootloader/bootloader.h"
#include "kestrel_sim/sim.h"
#include "usb/usb_function.h"

namespace ksim {

class BootloaderFunction : public usb::Function {
 public:
  // probe: the configuration of the probe that switched, to return as.
  explicit BootloaderFunction(const ProbeConfig& probe);

  usb::DeviceDescriptor deviceDescriptor() const override;
  std::vector<uint8_t> configurationDescriptor() const override;
  std::string stringDescriptor(uint8_t index) const override;
  usb::Status open() override;
  usb::Status control(const usb::SetupPacket& setup, uint8_t* data, int& transferred) override;
  void busReset() override;

  const Bootloader& model() const { return model_; }

 private:
  // Once the model has left: off the bus, the probe returning in its place.
  void departIfLeft();

  ProbeConfig probe_;
  Bootloader model_;
  bool departed_ = false;
};

}  // namespace ksim
