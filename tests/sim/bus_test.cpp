// The emulated bus: arrivals after bus scans, the C entry points, and its timing model: packets
// per (micro)frame, completion at the frame's end, the firmware's service time, time-outs, and
// the switch that keeps it out of everyone else's way. The string descriptors are read whenever
// a probe is opened by its serial number, and seen in tshark's reading of a run's capture.
#include <gtest/gtest.h>
#include <libusb.h>

#include "kestrel_sim/sim.h"
#include "probe/command_codes.h"
#include "support/libusb_bus.h"

extern "C" int ksim_test_c_entry_points(void);

namespace {

using Ids = std::vector<uint32_t>;  // vendor << 16 | product, in list order
using ksim::BusSpeed;
using kstest::scanBus;

// A device replaced on re-enumeration (the probe's switch to its bootloader and back) is
// checked through the library's update; handles of a device that left, in claims_test.
TEST(Bus, TheCEntryPointsSetTheBusUp) {
  const int probe = ksim_test_c_entry_points();
  ASSERT_GT(probe, 0);
  // The default bus's probe, then the C-attached one back after its scan, not before.
  EXPECT_EQ(scanBus(), (Ids{0x12094B01}));
  EXPECT_EQ(scanBus(), (Ids{0x12094B01, 0xF0554B04}));
  ksim_reset();
  EXPECT_EQ(scanBus(), Ids{});
}

// The device descriptor on the control pipe, as a host reads it at enumeration; requests of
// other types stall.
TEST(Bus, TheDeviceDescriptorIsAnsweredAndOtherRequestsStall) {
  ksim::reset();
  ksim::attachProbe({});
  libusb_device_handle* handle = kstest::openOnly();
  uint8_t bytes[64] = {};
  ASSERT_EQ(libusb_control_transfer(handle, 0x80, LIBUSB_REQUEST_GET_DESCRIPTOR,
                                    LIBUSB_DT_DEVICE << 8, 0, bytes, sizeof bytes, 100),
            18);
  EXPECT_EQ(bytes[8] | bytes[9] << 8, 0x1209);
  EXPECT_EQ(bytes[10] | bytes[11] << 8, 0x4B01);
  EXPECT_EQ(libusb_control_transfer(handle, 0xC1, 0x03, 0, 0, bytes, 6, 100), LIBUSB_ERROR_PIPE);
  libusb_close(handle);
}

TEST(BusTiming, ACommandTakesTheFramesOfItsPacketsAndTheServiceTime) {
  struct Row {
    BusSpeed speed;
    uint64_t serviceNs;
    int out, in;
    uint64_t expectedNs;
  } rows[] = {
      // One packet each way: the reply goes in the frame after the command's.
      {BusSpeed::Full, 0, 23, 23, 2000000},
      {BusSpeed::High, 0, 23, 23, 250000},
      // 64 bytes is one full-speed packet, 65 two; 19 fit a frame, the 20th needs the next.
      {BusSpeed::Full, 0, 64 * 19, 7, 2000000},
      {BusSpeed::Full, 0, 64 * 19 + 1, 7, 3000000},
      // A whole 4352-byte packet: 68 full-speed packets (4 frames), 9 high-speed (1).
      {BusSpeed::Full, 0, 4352, 4352, 8000000},
      {BusSpeed::High, 0, 4352, 4352, 250000},
      {BusSpeed::High, 0, 512 * 13 + 1, 7, 375000},
      // A reply ready within the next microframe still goes in it; one ready later waits.
      {BusSpeed::High, 100000, 23, 23, 250000},
      {BusSpeed::High, 200000, 23, 23, 375000},
      {BusSpeed::Full, 1500000, 23, 23, 3000000},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ksim::modelledExchangeNs({row.speed, row.serviceNs}, row.out, row.in), row.expectedNs)
        << "speed " << static_cast<int>(row.speed) << ", service " << row.serviceNs << " ns, "
        << row.out << " B out, " << row.in << " B in";
}

TEST(BusTiming, TransfersAdvanceTheClockOnlyWhileTheModelIsOn) {
  ksim::reset();
  ksim::attachProbe({});
  libusb_device_handle* handle = kstest::openOnly();
  ASSERT_EQ(libusb_claim_interface(handle, 2), LIBUSB_SUCCESS);  // 1209:4B01: composite
  uint8_t connect[4] = {'*', 1, 0, ksim::command::kConnect};
  uint8_t reply[16];
  int moved = 0;
  auto command = [&] {
    EXPECT_EQ(libusb_bulk_transfer(handle, 0x03, connect, 4, &moved, 0), LIBUSB_SUCCESS);
    EXPECT_EQ(libusb_bulk_transfer(handle, 0x83, reply, 16, &moved, 4000), LIBUSB_SUCCESS);
  };

  command();
  EXPECT_EQ(ksim::modelledTimeNs(), 0u);
  ksim::setBusTiming({BusSpeed::High, 0});
  command();
  EXPECT_EQ(ksim::modelledTimeNs(), 250000u);
  // Nothing to read: the host waits out its time-out.
  EXPECT_EQ(libusb_bulk_transfer(handle, 0x83, reply, 16, &moved, 30), LIBUSB_ERROR_TIMEOUT);
  EXPECT_EQ(ksim::modelledTimeNs(), 30250000u);
  ksim::setBusTiming({BusSpeed::Full, 0});
  EXPECT_EQ(ksim::modelledTimeNs(), 0u) << "a new timing starts the clock again";

  ksim::reset();  // switches the model off
  ksim::attachProbe({});
  EXPECT_EQ(ksim::modelledTimeNs(), 0u);
  libusb_close(handle);
}

}  // namespace
