// Listing the bus and resolving probe selectors on a virtual bus with several probes.
#include "kestrel/probe_selector.h"

#include <gtest/gtest.h>

#include "kestrel/exit_status.h"
#include "kestrel/kestrel.h"
#include "kestrel/usb_functions.h"
#include "kestrel_sim/sim.h"

namespace {

ksim::DeviceId attach(uint16_t vendorId, uint16_t productId, const char* serial,
                      bool failOpen = false) {
  ksim::ProbeConfig config;
  config.vendorId = vendorId;
  config.productId = productId;
  config.serial = serial;
  config.failOpen = failOpen;
  return ksim::attachProbe(config);
}

class ProbeSelector : public ::testing::Test {
 protected:
  void SetUp() override {
    ksim::reset();
    std::string error;
    void* module = tool::loadLibraryLibusb(error);  // this process's libusb: the virtual probe
    ASSERT_NE(module, nullptr) << error;
    ASSERT_TRUE(tool::resolveUsbFunctions(module, usb_, error)) << error;
  }
  void TearDown() override {
    const ksim::Resources live = ksim::resources();
    EXPECT_EQ(live.contexts + live.deviceLists + live.devices + live.handles, 0);
  }

  std::vector<tool::ListedDevice> list() {
    std::vector<tool::ListedDevice> devices;
    std::string error;
    EXPECT_TRUE(tool::listDevices(usb_, devices, error)) << error;
    return devices;
  }

  // Opens what the selection names and tells which virtual device the library connected.
  ksim::DeviceId opened(const tool::Selection& selection) {
    KSTInform* probe = nullptr;
    const char* serial = selection.openSerial.empty() ? nullptr : selection.openSerial.c_str();
    EXPECT_EQ(KST_Open(&probe, selection.openIndex, serial, 0), KST_OK);
    ksim::DeviceId connected = 0;
    for (const ksim::DeviceId id : ids_)
      if (ksim::probeStatus(id).connected) connected = id;
    if (probe != nullptr) KST_Close(&probe);
    return connected;
  }

  tool::UsbFunctions usb_{};
  std::vector<ksim::DeviceId> ids_;
};

TEST_F(ProbeSelector, ResolvesEveryFormToTheProbeKstOpenThenOpens) {
  // Two identity rows, serial numbers with equal prefixes, one serial on two probes, a
  // bootloader, a probe this user may not open (its serial number unread) and a device that
  // is not ours, which the list leaves out.
  ids_ = {attach(0x1209, 0x4B01, "KST00001"), attach(0x1209, 0x4B01, "KST00002"),
          attach(0xF055, 0x4B03, "KST10001"), attach(0xF055, 0x4B04, "KST00002"),
          attach(0xF055, 0x4BDF, "KST90000"), attach(0x1209, 0x4B02, "LOCKED", true)};
  ksim::attachDevice(0x1D6B, 0x0002);
  const std::vector<tool::ListedDevice> devices = list();
  ASSERT_EQ(devices.size(), 6u);
  auto pathOf = [&](std::size_t i) { return devices[i].path; };
  const struct {
    std::string selector;
    int status;
    ksim::DeviceId device;  // opened, for status 0
    const char* says;       // in the message, otherwise
  // clang-format off: one case a line
  } cases[] = {
      {"KST00001", 0, ids_[0], ""},
      {"KST1", 0, ids_[2], ""},     // unique prefix
      {pathOf(1), 0, ids_[1], ""},  // shared serial: by index 1 of its row
      {"2", 0, ids_[2], ""},        // index into the list
      {"0x0", 0, ids_[0], ""},
      {"", tool::kExitUsage, 0, "5 probes found; choose one with --probe"},
      {"KST0000", tool::kExitUsage, 0, "'KST0000' matches 3 devices by serial prefix"},
      {"KST00002", tool::kExitUsage, 0, "matches 2 devices by serial number; choose one with --probe:\n  1 "},
      {pathOf(3), tool::kExitUsage, 0, "shares its serial number with another"},
      {pathOf(4), tool::kExitNoProbe, 0, "is a probe left in its bootloader: unplug it"},
      {"LOCK", tool::kExitNoProbe, 0, "no Kestrel probe matches 'LOCK'"},  // serial unreadable
      {"5", tool::kExitPermission, 0, "udev rule"},
      {"6", tool::kExitNoProbe, 0, "no device 6 in `kestrel list` (6 listed)"},
      {"1-9.9", tool::kExitNoProbe, 0, "no Kestrel device at bus path 1-9.9"},
      {"f055:4B03", 0, ids_[2], ""},  // the only one of its USB id, either case
      {"1209:4b01:KST00002", 0, ids_[1], ""},
      {"1209:4b01", tool::kExitUsage, 0, "'1209:4b01' matches 2 devices by USB id"},
      {"f055:4b04:KST00001", tool::kExitNoProbe, 0, "no Kestrel device with USB id"},
      {"1209:4b0g", tool::kExitNoProbe, 0, "no Kestrel probe matches"},  // not an id: a prefix
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE("selector '" + c.selector + "'");
    const tool::Selection selection = tool::selectProbe(devices, c.selector);
    EXPECT_EQ(selection.status, c.status) << selection.message;
    if (c.status == 0)
      EXPECT_EQ(opened(selection), c.device);
    else
      EXPECT_NE(selection.message.find(c.says), std::string::npos) << selection.message;
  }
}

}  // namespace
