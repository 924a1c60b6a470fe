// kestrel update on the virtual probe: in this process, whose library has the virtual probe's
// image beside it, what it prints, its JSON document and its failures; the rules of a firmware
// image; and as a program, --image and --sim run on a private copy of the library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

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
#include "support/portable.h"
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
    static int serial = 0;
    path_ = ::testing::TempDir() + "kestrel-image-" + std::to_string(kstest::processId()) + "-" +
            std::to_string(serial++);
    EXPECT_TRUE(std::ofstream(path_, std::ios::binary) << content);
  }
  ~TemporaryFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(KestrelUpdate, UpdatesAnOutdatedProbeAndLeavesACurrentOneAlone) {
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
  EXPECT_EQ(document["image_version"], "3.0.0.29");
  EXPECT_FALSE(document.contains("failed_step"));
}

std::string withWord(std::string image, std::size_t at, uint32_t word) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>(word >> (8 * i));
  return image;
}

TEST(KestrelUpdate, OnlyAFirmwareImageTheLibraryAcceptsIsTaken) {
  const std::string good = readFile(libraryImage());
  ASSERT_GE(good.size(), 64u);
  const std::string vectors = good.substr(0, tool::kMinImageBytes);
  std::string largest = good;
  largest.resize(tool::kMaxImageBytes, '\xFF');
  std::string suffix = good + std::string("\x29\x00\xDF\x4B\x55\xF0\x10\x01UFD\x10", 12);
  suffix += std::string(4, '\x5A');
  const std::string fifo =
      ::testing::TempDir() + "kestrel-fifo-" + std::to_string(kstest::processId());
  ASSERT_EQ(kstest::makeFifo(fifo), kstest::kHasFifos);
  const struct {
    const char* name;
    std::string content;  // the file's bytes, or a path below
    const char* path;
    int status;
    const char* says;
  } cases[] = {
      {"the virtual probe's image", good, nullptr, tool::kExitOk, ""},
      {"as large as the flash takes", largest, nullptr, tool::kExitOk, ""},
      {"the vector table alone", vectors, nullptr, tool::kExitOk, ""},
      {"newer within the family", withWord(good, 0x1C, 0x03000030), nullptr, tool::kExitOk, ""},
      {"one word more than the flash", largest + "\xFF\xFF\xFF\xFF", nullptr,
       tool::kExitDataErr, "is larger than the probe's flash takes (256000 bytes)"},
      {"empty", "", nullptr, tool::kExitDataErr, "has 0 bytes; an image has at least 32"},
      {"cut before the version's end", vectors.substr(0, 31), nullptr, tool::kExitDataErr,
       "has 31 bytes"},
      {"not whole words", good + "\xFF\xFF", nullptr, tool::kExitDataErr,
       "has 12290 bytes, not a whole number of words"},
      {"with a DFU suffix", suffix, nullptr, tool::kExitDataErr, "ends in a DFU suffix"},
      {"reset handler without its Thumb bit", withWord(good, 4, 0x1900), nullptr,
       tool::kExitDataErr, "has no Thumb reset handler"},
      {"outdated", withWord(good, 0x1C, 0x03000028), nullptr, tool::kExitDataErr,
       "holds firmware 3.0.0.28, which this library does not accept"},
      {"another family", withWord(good, 0x1C, 0x03010029), nullptr, tool::kExitDataErr,
       "holds firmware 3.1.0.29"},
      {"a text file", std::string(64, 'y'), nullptr, tool::kExitDataErr,
       "holds firmware 79.79.79.79"},
      {"missing", "", "/nonexistent/firmware.bin", tool::kExitNoInput,
       "cannot be read: No such file or directory"},
      {"a directory", "", "/", tool::kExitNoInput, "is not a regular file"},
      {"a FIFO", "", fifo.c_str(), tool::kExitNoInput, "is not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.path == fifo.c_str() && !kstest::kHasFifos) continue;
    const TemporaryFile file(c.content);
    const std::string path = c.path != nullptr ? c.path : file.path();
    const tool::ImageCheck check = tool::checkImage(path);
    EXPECT_EQ(check.status, c.status);
    if (c.status == tool::kExitOk) {
      EXPECT_EQ(check.bytes, c.content.size());
      EXPECT_EQ(check.error, "");
    } else {
      EXPECT_EQ(check.error.rfind("the firmware image " + path + " " + c.says, 0), 0u)
          << check.error;
    }
  }
  std::remove(fifo.c_str());
}

// The program itself, which runs again on a private copy of the library for --image and
// --sim: its status, its standard error, and what is left in the temporary directory.
struct ProgramRun {
  int status;
  std::string out, err;
};

ProgramRun runProgram(const std::string& arguments, const std::string& temporary) {
  const std::string out = temporary + "/out", err = temporary + "/err";
  const std::string command = "TMPDIR='" + temporary + "' '" KESTREL_TOOL "' " + arguments +
                              " >'" + out + "' 2>'" + err + "'";
  const int wait = std::system(command.c_str());
  ProgramRun run{kstest::exitStatus(wait), readFile(out), readFile(err)};
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

TEST(KestrelUpdate, AGivenImageIsCheckedThenDownloadedFromAPrivateCopyOfTheLibrary) {
  if (!kstest::kPosixShell)
    GTEST_SKIP() << "runs the tool through the POSIX shell (TMPDIR, quoting); "
                    "scripts/test-windows.sh runs --sim and update from the zip instead";
  namespace fs = std::filesystem;
  const fs::path temporary =
      fs::path(::testing::TempDir()) / ("kestrel-run-" + std::to_string(kstest::processId()));
  fs::create_directories(temporary);
  const std::string good = readFile(libraryImage());
  const TemporaryFile image(good), text(std::string(64, 'y'));
  const struct {
    const char* name;
    std::string arguments;
    int status;
    const char* out;
    std::string err;
  } cases[] = {
      {"the virtual probe's own image", "--sim --firmware 3.0.0.28 update", tool::kExitOk,
       "updated firmware  3.0.0.29\n", ""},
      {"a given image", "--sim --firmware 3.0.0.28 update --image '" + image.path() + "'",
       tool::kExitOk, "(firmware 3.0.0.29, 12288 bytes)\nupdated firmware  3.0.0.29\n", ""},
      {"a file that is no image", "--sim --firmware 3.0.0.28 update --image '" + text.path() + "'",
       tool::kExitDataErr, "",
       "kestrel: the firmware image " + text.path() +
           " holds firmware 79.79.79.79, which this library does not accept (3.0.0.29 or later "
           "within 3.0)\n"},
      {"a framework open that updates", "--sim --firmware 3.0.0.28 --config '" KESTREL_EXAMPLES_DIR
       "/jtag.cfg' info",
       tool::kExitOk, "firmware version  3.0.0.29",
       "kestrel: test clock 10 MHz (the file asks LOOM.TCLK_FREQUENCY=10MHz)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramRun run = runProgram(c.arguments, temporary.string());
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    EXPECT_EQ(run.err, c.err);
    // The private copy is gone, and nothing was written beside the build's library.
    EXPECT_TRUE(fs::is_empty(temporary));
    EXPECT_FALSE(fs::exists(KESTREL_LIB_DIR "/kestrel/firmware_3.0.0.29.bin"));
  }
  fs::remove_all(temporary);
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
