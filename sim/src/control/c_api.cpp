// The C entry points of kestrel_sim/ksim.h over the control API, and the opt-in default bus.
#include <cstdlib>
#include <cstring>

#include "bootloader/firmware_image.h"
#include "kestrel_sim/sim.h"

extern "C" void ksim_reset(void) {
  ksim::reset();
}

extern "C" void ksim_record_transfers(int on) {
  ksim::recordTransfers(on != 0);
}

extern "C" void ksim_install_default_bus_firmware(uint32_t firmwareVersion) {
  ksim::reset();
  ksim::ProbeConfig config;
  config.chain = ksim::demoChain();
  config.firmwareVersion = firmwareVersion;
  ksim::attachProbe(config);
}

extern "C" void ksim_install_default_bus(void) {
  ksim_install_default_bus_firmware(ksim::ProbeConfig{}.firmwareVersion);
}

extern "C" void ksim_install_bootloader_bus(void) {
  ksim::reset();
  ksim::ProbeConfig config;
  config.chain = ksim::demoChain();
  config.dfu.flash.image = ksim::firmwareImage(config.firmwareVersion);
  ksim::attachBootloader(config);
}

extern "C" int ksim_attach_probe(uint16_t vendorId, uint16_t productId, const char* serial,
                                 uint32_t firmwareVersion, int kernelDriverActive) {
  ksim::ProbeConfig config;
  config.vendorId = vendorId;
  config.productId = productId;
  if (serial != nullptr) config.serial = serial;
  config.firmwareVersion = firmwareVersion;
  config.kernelDriverActive = kernelDriverActive != 0;
  return ksim::attachProbe(config);
}

extern "C" void ksim_detach(int device) {
  ksim::detach(device);
}

extern "C" void ksim_appear_after_scans(int device, unsigned scans) {
  ksim::appearAfterScans(device, scans);
}

namespace {

bool switchedOn(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

// KESTREL_SIM_DEFAULT_BUS=1: tools that only link libusb find the demo probe on the bus;
// KESTREL_SIM_BOOTLOADER=1: they find it in its bootloader instead (it wins over the first).
__attribute__((constructor)) void installDefaultBusWhenAsked() {
  if (switchedOn("KESTREL_SIM_BOOTLOADER"))
    ksim_install_bootloader_bus();
  else if (switchedOn("KESTREL_SIM_DEFAULT_BUS"))
    ksim_install_default_bus();
}

}  // namespace
