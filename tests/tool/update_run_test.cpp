// kestrel update in this process on the virtual probe, with the image the build installs
// beside the library: what it prints, its JSON document, its refusals and its failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "kestrel/command_line.h"
#include "kestrel/commands.h"
#include "kestrel/exit_status.h"
#include "kestrel/update_image.h"
#include "kestrel/update_progress.h"
#include "kestrel_sim/sim.h"
#include "tool_runner.h"

namespace {

using nlohmann::json;

constexpr uint32_t kOutdated = 0x03000028;
constexpr uint8_t kDfuModeSwitch = 38;

using tooltest::kestrel;
using tooltest::Outcome;

ksim::ProbeConfig probeWith(uint32_t firmware) {
  ksim::ProbeConfig config;
  config.firmwareVersion = firmware;
  return config;
}

bool switched(ksim::DeviceId probe) {
  const auto packets = ksim::commandPackets(probe);
  return std::any_of(packets.begin(), packets.end(), [](const std::vector<uint8_t>& packet) {
    return packet.size() == 4 && packet[3] == kDfuModeSwitch;
  });
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string libraryImage() {
  std::string path, error;
  EXPECT_TRUE(tool::libraryImagePath(path, error)) << error;
  return path;
}

// A file of its own in the temporary directory, removed at the end of the test.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& content) {
    const int fd = mkstemp(&path_[0]);
    EXPECT_GE(fd, 0);
    if (fd >= 0) close(fd);
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TemporaryFile() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_ = ::testing::TempDir() + "kestrel-image-XXXXXX";
};

TEST(KestrelUpdate, UpdatesAnOutdatedProbeAndLeavesACurrentOneAlone) {
  const std::string image = readFile(libraryImage());
  ASSERT_FALSE(image.empty());
  // Installing a copy of the image leaves the library's file as it was.
  const TemporaryFile copy(image);
  const struct {
    const char* name;
    uint32_t firmware;
    std::vector<const char*> words;
    bool updated;
    const char* says;
  } cases[] = {
      {"outdated", kOutdated, {"update"}, true, "updated firmware  3.0.0.29\n"},
      {"current", 0x03000029, {"update"}, false, "firmware is current"},
      {"current, forced", 0x03000029, {"update", "--force"}, true, "updated firmware  3.0.0.29"},
      {"newer in the family", 0x03000030, {"update"}, false, "firmware is current"},
      {"outside the family", 0x03010000, {"update"}, true, "updated firmware  3.0.0.29"},
      {"given image", kOutdated, {"update", "--image", copy.path().c_str()}, true, "updated"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    const ksim::DeviceId probe = ksim::attachProbe(probeWith(c.firmware));
    const Outcome run = kestrel(c.words);
    EXPECT_EQ(run.status, tool::kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    EXPECT_EQ(switched(probe), c.updated);
  }
  EXPECT_EQ(readFile(libraryImage()), image);
}

TEST(KestrelUpdate, JsonDocumentTellsTheVersionsBeforeAndAfter) {
  ksim::reset();
  ksim::attachProbe(probeWith(kOutdated));
  const Outcome run = kestrel({"--json", "update"});
  ASSERT_EQ(run.status, tool::kExitOk) << run.err;
  const json document = json::parse(run.out);  // throws on anything but one document
  EXPECT_EQ(document["command"], "update");
  EXPECT_EQ(document["exit_status"], 0);
  EXPECT_EQ(document["updated"], true);
  EXPECT_EQ(document["firmware_before"], "3.0.0.28");
  EXPECT_EQ(document["firmware_version"], "3.0.0.29");
  EXPECT_EQ(document["image"], libraryImage());
  EXPECT_EQ(document["image_bytes"], readFile(libraryImage()).size());
  EXPECT_FALSE(document.contains("failed_step"));
}

TEST(KestrelUpdate, ImagesThatCannotBeDownloadedAreRefusedBeforeTheSwitch) {
  const TemporaryFile empty(""), largest(std::string(tool::kMaxImageBytes, 'x')),
      oversized(std::string(tool::kMaxImageBytes + 1, 'x'));
  const struct {
    const char* name;
    std::string path;
    bool ok;
    const char* says;
  } cases[] = {
      {"missing", "/nonexistent/firmware.bin", false, "No such file or directory"},
      {"directory", ::testing::TempDir(), false, "is not a regular file"},
      {"empty", empty.path(), false, "is empty"},
      {"as large as the flash", largest.path(), true, ""},
      {"one byte more", oversized.path(), false, "the probe's flash takes at most 256000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    uint64_t bytes = 0;
    std::string error;
    EXPECT_EQ(tool::checkImage(c.path, bytes, error), c.ok);
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  // The whole command: refused with the file's status, the probe never switched and the
  // library's image untouched.
  const std::string image = readFile(libraryImage());
  for (const std::string& path : {std::string("/nonexistent/firmware.bin"), oversized.path()}) {
    ksim::reset();
    const ksim::DeviceId probe = ksim::attachProbe(probeWith(kOutdated));
    const Outcome run = kestrel({"update", "--image", path.c_str()});
    EXPECT_EQ(run.status, tool::kExitIo);
    EXPECT_EQ(run.err.rfind("kestrel: the firmware image " + path, 0), 0u) << run.err;
    EXPECT_FALSE(switched(probe));
  }
  EXPECT_EQ(readFile(libraryImage()), image);
}

TEST(KestrelUpdate, AFailureIsOneLineNamingTheStepAndTheResult) {
  const struct {
    const char* name;
    void (*setUp)(ksim::ProbeConfig&);
    const char* step;
    const char* line;
    int32_t result;
  } cases[] = {
      {"bootloader already on the bus",
       [](ksim::ProbeConfig& config) { ksim::attachBootloader(config); }, "switch",
       "update failed while switching the probe into its bootloader: an update-mode device was "
       "on the bus already (KST_ERR_DFU_ALREADY_ON_BUS, -264)",
       -264},
      {"error status at a block",
       [](ksim::ProbeConfig& config) { config.dfu.faults.errorAtBlock = 2; }, "download",
       "update failed while downloading the firmware: the firmware download to the bootloader "
       "failed (KST_ERR_DFU_DOWNLOAD, -592)",
       -592},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    ksim::ProbeConfig config = probeWith(kOutdated);
    c.setUp(config);
    ksim::attachProbe(config);
    const Outcome run = kestrel({"update", "--json"});
    EXPECT_EQ(run.status, tool::kExitIo);
    EXPECT_EQ(run.err, std::string("kestrel: ") + c.line + "\n");
    const json document = json::parse(run.out);
    EXPECT_EQ(document["exit_status"], tool::kExitIo);
    EXPECT_EQ(document["failed_step"], c.step);
    EXPECT_EQ(document["result_code"], c.result);
    EXPECT_EQ(document["firmware_version"], nullptr);
    EXPECT_EQ(document["updated"], false);
  }
}

TEST(KestrelUpdate, InfoNamesTheCommandThatUpdatesAnOutdatedProbe) {
  for (const uint32_t firmware : {kOutdated, 0x03000029u}) {
    ksim::reset();
    ksim::attachProbe(probeWith(firmware));
    const bool outdated = firmware == kOutdated;
    const Outcome text = kestrel({"-p", "KST00001", "info"});
    EXPECT_EQ(text.out.find("(outdated: `kestrel --probe KST00001 update` updates it)") !=
                  std::string::npos,
              outdated)
        << text.out;
    EXPECT_EQ(json::parse(kestrel({"info", "--json"}).out)["firmware_outdated"], outdated);
  }
}

TEST(KestrelUpdate, TheBarIsRedrawnInPlaceAndEndsItsLine) {
  std::ostringstream screen;
  tool::UpdateProgress bar(screen, tool::UpdateProgress::Style::kBar);
  const KST_ProgressCallback report = bar.callback();
  report(30, "Downloading the new firmware into the Kestrel...\n");
  report(60, "Rebooting...\n");
  bar.end();
  report(90, "after the end\n");  // no longer this bar's
  const std::string text = screen.str();
  const auto second = text.find('\r', 1);
  ASSERT_NE(second, std::string::npos);
  const std::string first = text.substr(0, second), last = text.substr(second);
  EXPECT_EQ(first,
            "\r[#########.....................]  30% Downloading the new firmware into "
            "the Kestrel...");
  // The shorter line blanks out the rest of the longer one.
  EXPECT_EQ(last.size(), first.size() + 1);
  EXPECT_EQ(last.rfind("\r[##################............]  60% Rebooting...   ", 0), 0u);
  EXPECT_EQ(last.back(), '\n');
}

}  // namespace
