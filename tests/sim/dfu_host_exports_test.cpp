// What a generic DFU host asks of the virtual probe's libusb beyond the library's own needs:
// configuration descriptors of devices on the bus, alternate settings and the port reset.
#include <gtest/gtest.h>
#include <libusb.h>

#include <vector>

#include "kestrel_sim/sim.h"
#include "support/libusb_bus.h"

namespace {

using kstest::openOnly;
using kstest::scanBus;

TEST(DfuHostExports, TheBootloadersDfuInterfaceIsFoundAndSelected) {
  ksim::reset();
  const ksim::DeviceId id = ksim::attachBootloader(ksim::ProbeConfig{});
  libusb_device** list = nullptr;
  ASSERT_EQ(libusb_get_device_list(nullptr, &list), 1);
  // Addresses go on counting across resets, as a host's do across arrivals.
  EXPECT_EQ(libusb_get_device_address(list[0]), 1 + (id - 1) % 127);
  // Its one configuration: what it holds is read by dfu-util (dfu_util_host.sh) and checked
  // in the parser's own test (config_descriptor_test).
  libusb_config_descriptor* config = nullptr;
  EXPECT_EQ(libusb_get_config_descriptor(list[0], 1, &config), LIBUSB_ERROR_NOT_FOUND);
  ASSERT_EQ(libusb_get_active_config_descriptor(list[0], &config), LIBUSB_SUCCESS);
  EXPECT_EQ(config->interface[0].altsetting[0].bInterfaceClass, 0xFE);
  libusb_free_config_descriptor(config);
  libusb_free_device_list(list, 1);

  libusb_device_handle* handle = openOnly();
  EXPECT_EQ(libusb_set_interface_alt_setting(handle, 0, 0), LIBUSB_ERROR_NOT_FOUND);
  ASSERT_EQ(libusb_claim_interface(handle, 0), LIBUSB_SUCCESS);
  EXPECT_EQ(libusb_set_interface_alt_setting(handle, 0, 1), LIBUSB_ERROR_NOT_FOUND);
  EXPECT_EQ(libusb_set_interface_alt_setting(handle, 0, 0), LIBUSB_SUCCESS);
  libusb_close(handle);

  // The probe stalls SET_INTERFACE; with one setting per interface that is no failure.
  ksim::reset();
  ksim::attachProbe(ksim::ProbeConfig{});
  handle = openOnly();
  ASSERT_EQ(libusb_claim_interface(handle, 2), LIBUSB_SUCCESS);
  EXPECT_EQ(libusb_set_interface_alt_setting(handle, 2, 0), LIBUSB_SUCCESS);
  libusb_close(handle);
}

// A plain download of one block, then a port reset: a bootloader that waits for the reset
// after manifestation starts the application (the probe comes back after its scan); a
// manifestation-tolerant one is back in dfuIDLE and stays.
TEST(DfuHostExports, APortResetStartsTheApplicationOnlyFromManifestWaitReset) {
  const struct {
    uint8_t attributes;
    int reset;
    std::vector<uint32_t> busAfter;
  } cases[] = {
      {0x03, LIBUSB_ERROR_NOT_FOUND, {0x12094B01}},
      {0x07, LIBUSB_SUCCESS, {0xF0554BDF}},
  };
  for (const auto& c : cases) {
    ksim::reset();
    ksim::ProbeConfig probe;
    probe.dfu.flash.attributes = c.attributes;
    ksim::attachBootloader(probe);
    libusb_device_handle* handle = openOnly();
    ASSERT_EQ(libusb_claim_interface(handle, 0), LIBUSB_SUCCESS);
    uint8_t block[64] = {1, 2, 3};
    uint8_t status[6] = {};
    EXPECT_EQ(libusb_control_transfer(handle, 0x21, 1, 0, 0, block, sizeof block, 100), 64);
    EXPECT_EQ(libusb_control_transfer(handle, 0xA1, 3, 0, 0, status, 6, 100), 6);
    EXPECT_EQ(libusb_control_transfer(handle, 0x21, 1, 1, 0, nullptr, 0, 100), 0);
    EXPECT_EQ(libusb_control_transfer(handle, 0xA1, 3, 0, 0, status, 6, 100), 6);
    EXPECT_EQ(libusb_control_transfer(handle, 0xA1, 3, 0, 0, status, 6, 100),
              c.attributes & 0x04 ? 6 : LIBUSB_ERROR_PIPE);
    EXPECT_EQ(libusb_reset_device(handle), c.reset) << int(c.attributes);
    libusb_close(handle);
    scanBus();
    EXPECT_EQ(scanBus(), c.busAfter) << int(c.attributes);
  }
}

}  // namespace
