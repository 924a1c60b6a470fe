// The kestrel tool and dfu-util, an independent DFU host with its own libusb, on the
// distribution's libusb through the test bed (real-stack program only).
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <string>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"
#include "support/tool_runner.h"
#include "transport.h"

namespace {

using tooltest::kestrel;

class ToolOnRealUsb : public ::testing::Test {
 protected:
  void SetUp() override {
    transport::resetBus();
    ksim::ProbeConfig config;
    config.chain = ksim::demoChain();
    config.firmwareVersion = 0x03000028;
    transport::attachProbe(config);
  }
};

// What the library bound is the distribution's libusb, not the virtual one.
TEST_F(ToolOnRealUsb, TheLibraryBindsTheDistributionsLibusb) {
  KSTInform* probe = nullptr;
  ASSERT_EQ(KST_Open(&probe, 0, nullptr, 0), KST_OK);
  void* libusb = dlopen("libusb-1.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
  ASSERT_NE(libusb, nullptr);
  link_map* map = nullptr;
  ASSERT_EQ(dlinfo(libusb, RTLD_DI_LINKMAP, &map), 0);
  EXPECT_EQ(std::string(map->l_name).find("/sim"), std::string::npos) << map->l_name;
  EXPECT_EQ(dlsym(libusb, "ksim_reset"), nullptr) << map->l_name;
  dlclose(libusb);
  EXPECT_EQ(KST_Close(&probe), KST_OK);
}

TEST_F(ToolOnRealUsb, ListInfoJtagDetectAndUpdateRunOnTheEmulatedProbe) {
  const auto list = kestrel({"list"});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("1209:4b01  1-1.1      KST00001"), std::string::npos) << list.out;
  const auto info = kestrel({"info"});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("firmware version  3.0.0.28"), std::string::npos) << info.out;
  const auto detect = kestrel({"jtag", "detect"});
  EXPECT_EQ(detect.status, 0) << detect.err;
  EXPECT_NE(detect.out.find("3 TAPs, IR 15 bits in all"), std::string::npos) << detect.out;
  const auto update = kestrel({"update"});
  EXPECT_EQ(update.status, 0) << update.err;
  EXPECT_NE(update.out.find("updated firmware  3.0.0.29"), std::string::npos) << update.out;
}

// dfu-util runs as a child: it inherits umockdev's preload and test bed, and its ioctls come
// to this process's bridge.
TEST_F(ToolOnRealUsb, DfuUtilListsTheBootloader) {
  if (std::system("command -v dfu-util > /dev/null") != 0) GTEST_SKIP() << "no dfu-util";
  transport::resetBus();
  ksim::attachBootloader({});
  transport::settle();
  FILE* child = popen("dfu-util -l 2>&1", "r");
  ASSERT_NE(child, nullptr);
  std::string out;
  char line[512];
  while (std::fgets(line, sizeof line, child) != nullptr) out += line;
  pclose(child);
  EXPECT_NE(out.find("Found DFU: [f055:4bdf]"), std::string::npos) << out;
}

}  // namespace
