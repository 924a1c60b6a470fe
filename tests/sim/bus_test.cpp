// The emulated bus: arrivals after bus scans, the control pipe, the C entry points and the
// unit table's start-up check.
#include <gtest/gtest.h>
#include <libusb.h>

#include "kestrel_sim/sim.h"
#include "probe/dispatch.h"
#include "support/libusb_bus.h"

extern "C" int ksim_test_c_entry_points(void);

namespace {

using Ids = std::vector<uint32_t>;  // vendor << 16 | product, in list order
using kstest::openOnly;
using kstest::scanBus;

// A device replaced on re-enumeration (the probe's switch to its bootloader and back) is
// checked through the library's update; handles of a device that left, in claims_test.
TEST(Bus, ADeviceArrivesAfterItsScans) {
  ksim::reset();
  ksim::attachDevice(0x046D, 0xC52B);
  ksim::appearAfterScans(ksim::attachDevice(0x1209, 0x4B02), 2);
  EXPECT_EQ(scanBus(), (Ids{0x046DC52B}));
  EXPECT_EQ(scanBus(), (Ids{0x046DC52B}));
  EXPECT_EQ(scanBus(), (Ids{0x046DC52B, 0x12094B02}));
}

TEST(Bus, StandardDescriptorRequestsAreAnsweredAndOtherControlRequestsStall) {
  ksim::reset();
  ksim::ProbeConfig config;
  config.serial = "S1";
  const ksim::DeviceId probe = ksim::attachProbe(config);
  libusb_device_handle* handle = openOnly();
  uint8_t bytes[64] = {};
  ASSERT_EQ(libusb_control_transfer(handle, 0x80, LIBUSB_REQUEST_GET_DESCRIPTOR,
                                    LIBUSB_DT_DEVICE << 8, 0, bytes, sizeof bytes, 100),
            18);
  EXPECT_EQ(bytes[8] | bytes[9] << 8, 0x1209);
  EXPECT_EQ(bytes[10] | bytes[11] << 8, 0x4B01);
  unsigned char serial[16] = {};
  EXPECT_EQ(libusb_get_string_descriptor_ascii(handle, bytes[16], serial, sizeof serial), 2);
  EXPECT_STREQ(reinterpret_cast<char*>(serial), "S1");

  EXPECT_EQ(libusb_control_transfer(handle, 0xC1, 0x03, 0, 0, bytes, 6, 100), LIBUSB_ERROR_PIPE);
  EXPECT_EQ(ksim::events().at(1).device, probe);  // the stall's record: see capture_test
  libusb_close(handle);
}

TEST(Bus, TheCEntryPointsSetTheBusUp) {
  const int probe = ksim_test_c_entry_points();
  ASSERT_GT(probe, 0);
  // The default bus's probe, then the C-attached one back after its scan.
  EXPECT_EQ(scanBus(), (Ids{0x12094B01}));
  EXPECT_EQ(scanBus(), (Ids{0x12094B01, 0xF0554B04}));
  ksim_reset();
  EXPECT_EQ(scanBus(), Ids{});
}

void noop(ksim::Unit&, ksim::Firmware&, ksim::Reader&, ksim::Reply&) {}

TEST(BusDeathTest, ACommandCodeClaimedByTwoUnitsStopsTheFirmwareNamingIt) {
  static const ksim::CommandHandler first[] = {{3, 0, noop}, {7, 0, noop}};
  static const ksim::CommandHandler second[] = {{7, 0, noop}};
  const std::vector<ksim::UnitSpec> units{{"first", first, 2, nullptr},
                                          {"second", second, 1, nullptr}};
  EXPECT_DEATH(ksim::buildDispatch(units), "code 7 claimed by units first and second");
}

}  // namespace
