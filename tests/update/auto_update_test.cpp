// KST_AutoUpdate's failure points on the virtual probe, on a virtual clock: every deadline
// is waited out in no time. The library's objects are linked here; a stand-in module named
// libjsckestrel.so, loaded from a directory of this process's own, is where the update looks
// for its firmware image.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"
#include "support/bus.h"
#include "support/portable.h"
#include "support/virtual_clock.h"

namespace {

// Time moves when the library pauses, and by 1 ms at every tick read: a loop that polls
// without pausing still reaches its deadline.
double seconds(const kstest::VirtualClock& clock) {
  return clock.nowNanoseconds() / 1e9;
}

// The stand-in module in a fresh directory, loaded once for the process.
class ModuleDirectory : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = kstest::temporaryDirectory("kestrel-update").string();
    const std::string module = dir_ + "/" + kstest::kLibraryFile;
    std::filesystem::copy_file(OWN_MODULE, module);
    std::filesystem::create_directory(dir_ + "/kestrel");
    module_ = kstest::loadModule(module);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) kstest::closeModule(module_);
    std::filesystem::remove_all(dir_);
  }
  static std::string image() { return dir_ + "/kestrel/firmware_3.0.0.29.bin"; }

 private:
  static std::string dir_;
  void* module_ = nullptr;
};
std::string ModuleDirectory::dir_;
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ModuleDirectory);

enum class Image { kMissing, kCurrent, kNewerMinor, kDirectory };

void install(Image image) {
  std::filesystem::remove(ModuleDirectory::image());
  if (image == Image::kMissing) return;
  if (image == Image::kDirectory) {
    ASSERT_TRUE(std::filesystem::create_directory(ModuleDirectory::image()));
    return;
  }
  const std::vector<uint8_t> bytes =
      kstest::firmwareImage(5000, image == Image::kCurrent ? 0x03000029 : 0x03010000);
  std::FILE* file = std::fopen(ModuleDirectory::image().c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::fclose(file);
}

std::vector<std::string> g_messages;
int32_t record(uint32_t percentage, const char* message) {
  g_messages.push_back(std::to_string(percentage) + " " + message);
  return 0;
}

struct Row {
  const char* what;
  void (*setup)(ksim::ProbeConfig&);
  Image image;
  int32_t result;
  bool newProbe;
  std::size_t messages;   // how far the progress got; 0: no callback
  double minimumSeconds;  // the deadline waited out, if any
};

const char* const kMessages[] = {
    "0 Switching the Kestrel into programming mode...\n",
    "20 Connecting to the Kestrel programming mode...\n",
    "30 Downloading the new firmware into the Kestrel...\n",
    "60 Rebooting the Kestrel into normal operation mode...\n",
    "90 Finalizing the Kestrel firmware update...\n",
    "90 Kestrel firmware update complete.\n",
};

void none(ksim::ProbeConfig&) {}

TEST(AutoUpdate, EveryFailurePointLeavesTheCallersPointerAsDocumented) {
  const Row rows[] = {
      {"bootloader already on the bus", none, Image::kCurrent, KST_ERR_DFU_ALREADY_ON_BUS, false, 1,
       0},
      {"no bootloader appears", [](ksim::ProbeConfig& c) { c.dfu.scansUntilBootloader = -1; },
       Image::kCurrent, KST_ERR_DFU_NOT_APPEARED, false, 1, 30},
      {"bootloader does not open", [](ksim::ProbeConfig& c) { c.dfu.failOpen = true; },
       Image::kCurrent, KST_ERR_DFU_OPEN, false, 2, 10},
      {"no firmware file", none, Image::kMissing, KST_ERR_FIRMWARE_OPEN, false, 3, 0},
      {"firmware file unreadable", none, Image::kDirectory,
       kstest::kOpensDirectories ? KST_ERR_FIRMWARE_READ : KST_ERR_FIRMWARE_OPEN, false, 3, 0},
      {"error status at block 2", [](ksim::ProbeConfig& c) { c.dfu.faults.errorAtBlock = 2; },
       Image::kCurrent, KST_ERR_DFU_DOWNLOAD, false, 3, 0},
      {"probe does not come back", [](ksim::ProbeConfig& c) { c.dfu.scansUntilProbe = -1; },
       Image::kCurrent, KST_ERR_REOPEN, false, 4, 5},
      {"image of another family", none, Image::kNewerMinor, KST_ERR_UPDATE_VERSION, true, 5, 0},
      {"success", none, Image::kCurrent, KST_OK, true, 6, 0},
      {"success without a callback", none, Image::kCurrent, KST_OK, true, 0, 0},
      {"an erase of 150 s",
       [](ksim::ProbeConfig& c) {
         c.dfu.flash.erasePollMs = 150000;  // 143 s of 1/1048576 s units
         c.dfu.flash.erasePolls = 1;
       },
       Image::kCurrent, KST_OK, true, 6, 143},
  };
  for (const Row& row : rows) {
    ksim::reset();
    install(row.image);
    ksim::ProbeConfig config;
    config.firmwareVersion = 0x03000028;
    row.setup(config);
    ksim::attachProbe(config);
    if (row.result == KST_ERR_DFU_ALREADY_ON_BUS) ksim::attachBootloader(config);
    KSTInform* probe = nullptr;
    ASSERT_EQ(KST_Open(&probe, 0, nullptr, 0), KST_OK) << row.what;
    g_messages.clear();
    kstest::VirtualClock clock;
    clock.advanceOnEveryTick(1);
    EXPECT_EQ(KST_AutoUpdate(&probe, 0, nullptr, 0, row.messages != 0 ? record : nullptr),
              row.result)
        << row.what;
    EXPECT_EQ(probe != nullptr, row.newProbe) << row.what;
    EXPECT_GE(seconds(clock), row.minimumSeconds) << row.what;
    EXPECT_LT(seconds(clock), row.minimumSeconds + 5) << row.what;
    ASSERT_EQ(g_messages.size(), row.messages) << row.what;
    for (std::size_t i = 0; i < row.messages; ++i) EXPECT_EQ(g_messages[i], kMessages[i]);
    // The pauses separate the messages a user reads: five of about 0.95 s, none without a
    // callback to show them.
    if (row.result == KST_OK && row.minimumSeconds == 0) {
      EXPECT_EQ(clock.pauses(), std::vector<uint32_t>(row.messages != 0 ? 5 : 0, 1000000));
    }
    if (probe != nullptr) KST_Close(&probe);
    const ksim::Resources live = ksim::resources();
    EXPECT_EQ(live.contexts + live.deviceLists + live.devices + live.handles, 0) << row.what;
  }
}

}  // namespace
