// kestrel update on the virtual probe: in this process, whose library has the virtual probe's
// image beside it, what it prints, its JSON document and its failures; the rules of a firmware
// image; and as a program, --image and --sim run on a private copy of the library.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "kestrel/update_image.h"
#include "kestrel/update_progress.h"
#include "support/portable.h"
#include "support/tool_runner.h"

namespace {

using namespace tooltest;

constexpr uint32_t kOutdated = 0x03000028;
constexpr uint8_t kDfuModeSwitch = 38;

std::string libraryImage() {
  std::string path, error;
  EXPECT_TRUE(tool::libraryImagePath(path, error)) << error;
  return path;
}

// update replaces outdated firmware only; info names the command that does.
TEST(KestrelUpdate, UpdatesAnOutdatedProbeAndLeavesACurrentOneAlone) {
  const struct {
    uint32_t firmware;
    std::vector<const char*> words;
    bool updated;
    const char* says;
  // clang-format off: one case a line
  } cases[] = {
      {kOutdated, {"update"}, true, "updated firmware  3.0.0.29\n"},
      {0x03000029, {"update"}, false, "firmware is current"},
      {0x03000029, {"update", "--force"}, true, "updated firmware  3.0.0.29"},
      {0x03000030, {"update"}, false, "firmware is current"},  // newer in the family
      {0x03010000, {"update"}, true, "updated firmware  3.0.0.29"},  // outside the family
      {kOutdated, {"-p", "KST00001", "info"}, false, "(outdated: `kestrel --probe KST00001 update` updates it)"},
      {kOutdated, {"info", "--json"}, false, "\"firmware_outdated\": true"},
      {0x03000029, {"info", "--json"}, false, "\"firmware_outdated\": false"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.firmware);
    ksim::ProbeConfig config = demoProbe();
    config.firmwareVersion = c.firmware;
    const ksim::DeviceId probe = onlyProbe(config);
    const Outcome run = kestrel(c.words);
    EXPECT_EQ(run.status, tool::kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(holds(run.out, c.says));
    EXPECT_EQ(commandsSent(probe, {kDfuModeSwitch}) > 0, c.updated);
  }
}

// The document tells the versions before and after, or the step that failed and its result,
// in one line on standard error too.
TEST(KestrelUpdate, TheJsonDocumentTellsTheVersionsOrTheStepThatFailed) {
  const struct {
    bool bootloaderOnTheBus;
    int errorAtBlock;  // -1: none
    const char* step;
    const char* line;
    int32_t result;
  // clang-format off: one case a line
  } cases[] = {
      {false, -1, "", "", 0},
      {true, -1, "switch", "kestrel: update failed while switching the probe into its bootloader: an update-mode device was on the bus already (KST_ERR_DFU_ALREADY_ON_BUS, -264)\n", -264},
      {false, 2, "download", "kestrel: update failed while downloading the firmware: the firmware download to the bootloader failed (KST_ERR_DFU_DOWNLOAD, -592)\n", -592},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    ksim::reset();
    ksim::ProbeConfig config = demoProbe();
    config.firmwareVersion = kOutdated;
    config.dfu.faults.errorAtBlock = c.errorAtBlock;
    if (c.bootloaderOnTheBus) ksim::attachBootloader(config);
    ksim::attachProbe(config);
    const Outcome run = kestrel({"update", "--json"});
    const bool failed = c.result != 0;
    EXPECT_EQ(run.status, failed ? tool::kExitIo : tool::kExitOk);
    EXPECT_EQ(run.err, c.line);
    const json document = run.document();
    EXPECT_EQ(document["command"], "update");
    EXPECT_EQ(document["exit_status"], run.status);
    EXPECT_EQ(document["updated"], !failed);
    EXPECT_EQ(document["firmware_before"], "3.0.0.28");
    if (failed) {
      EXPECT_EQ(document["failed_step"], c.step);
      EXPECT_EQ(document["result_code"], c.result);
      EXPECT_EQ(document["firmware_version"], nullptr);
      continue;
    }
    EXPECT_FALSE(document.contains("failed_step"));
    EXPECT_EQ(document["firmware_version"], "3.0.0.29");
    EXPECT_EQ(document["image"], libraryImage());
    EXPECT_EQ(document["image_bytes"], readFile(libraryImage()).size());
    EXPECT_EQ(document["image_version"], "3.0.0.29");
  }
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
  const std::string suffix =
      good + std::string("\x29\x00\xDF\x4B\x55\xF0\x10\x01UFD\x10", 12) + std::string(4, '\x5A');
  const std::string fifo = file("fifo", "");
  std::remove(fifo.c_str());
  ASSERT_EQ(kstest::makeFifo(fifo), kstest::kHasFifos);
  const struct {
    std::string content;  // the file's bytes, or a path below
    const char* path;
    int status;
    const char* says;
  // clang-format off: one case a line
  } cases[] = {
      {good, nullptr, tool::kExitOk, ""},
      {largest, nullptr, tool::kExitOk, ""},
      {vectors, nullptr, tool::kExitOk, ""},
      {withWord(good, 0x1C, 0x03000030), nullptr, tool::kExitOk, ""},  // newer within the family
      {largest + "\xFF\xFF\xFF\xFF", nullptr, tool::kExitDataErr, "is larger than the probe's flash takes (256000 bytes)"},
      {"", nullptr, tool::kExitDataErr, "has 0 bytes; an image has at least 32"},
      {vectors.substr(0, 31), nullptr, tool::kExitDataErr, "has 31 bytes"},
      {good + "\xFF\xFF", nullptr, tool::kExitDataErr, "has 12290 bytes, not a whole number of words"},
      {suffix, nullptr, tool::kExitDataErr, "ends in a DFU suffix"},
      {withWord(good, 4, 0x1900), nullptr, tool::kExitDataErr, "has no Thumb reset handler"},
      {withWord(good, 0x1C, 0x03000028), nullptr, tool::kExitDataErr, "holds firmware 3.0.0.28, which this library does not accept"},
      {withWord(good, 0x1C, 0x03010029), nullptr, tool::kExitDataErr, "holds firmware 3.1.0.29"},
      {"", "/nonexistent/firmware.bin", tool::kExitNoInput, "cannot be read: No such file or directory"},
      {"", "/", tool::kExitNoInput, "is not a regular file"},
      {"", fifo.c_str(), tool::kExitNoInput, "is not a regular file"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    if (c.path == fifo.c_str() && !kstest::kHasFifos) continue;
    const std::string path = c.path != nullptr ? c.path : file("image.bin", c.content);
    const tool::ImageCheck check = tool::checkImage(path);
    EXPECT_EQ(check.status, c.status);
    EXPECT_EQ(check.error.rfind("the firmware image " + path + " " + c.says, 0),
              c.status == tool::kExitOk ? std::string::npos : 0u)
        << check.error;
    EXPECT_EQ(check.bytes, c.status == tool::kExitOk ? c.content.size() : check.bytes);
    if (c.path == nullptr) std::remove(path.c_str());
  }
  std::remove(fifo.c_str());
}

// The program itself, which runs again on a private copy of the library for --image and
// --sim: its status, its output, and what is left in the temporary directory.
TEST(KestrelUpdate, AGivenImageIsCheckedThenDownloadedFromAPrivateCopyOfTheLibrary) {
  if (!kstest::kPosixShell)
    GTEST_SKIP() << "runs the tool through the POSIX shell (TMPDIR, quoting); "
                    "scripts/test-windows.sh runs --sim and update from the zip instead";
  namespace fs = std::filesystem;
  const fs::path temporary =
      fs::path(::testing::TempDir()) / ("kestrel-run-" + std::to_string(kstest::processId()));
  fs::create_directories(temporary);
  const std::string out = file("out", ""), err = file("err", "");
  const std::string image = file("given.bin", readFile(libraryImage())),
                    text = file("text.bin", std::string(64, 'y'));
  const struct {
    std::string arguments;
    int status;
    const char* out;
    std::string err;
  // clang-format off: one case a line
  } cases[] = {
      {"update --image '" + image + "'", tool::kExitOk, "(firmware 3.0.0.29, 12288 bytes)\nupdated firmware  3.0.0.29\n", ""},
      {"update --image '" + text + "'", tool::kExitDataErr, "", "kestrel: the firmware image " + text + " holds firmware 79.79.79.79, which this library does not accept (3.0.0.29 or later within 3.0)\n"},
      {"--config '" KESTREL_EXAMPLES_DIR "/jtag.cfg' info", tool::kExitOk, "firmware version  3.0.0.29", "kestrel: test clock 10 MHz (the file asks LOOM.TCLK_FREQUENCY=10MHz)\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const std::string command = "TMPDIR='" + temporary.string() + "' '" KESTREL_TOOL
                                "' --sim --firmware 3.0.0.28 " + c.arguments + " >'" + out +
                                "' 2>'" + err + "'";
    EXPECT_EQ(kstest::exitStatus(std::system(command.c_str())), c.status) << readFile(err);
    EXPECT_TRUE(holds(readFile(out), c.out));
    EXPECT_EQ(readFile(err), c.err);
    // The private copy is gone, and nothing was written beside the build's library.
    EXPECT_TRUE(fs::is_empty(temporary));
    EXPECT_FALSE(fs::exists(KESTREL_LIB_DIR "/kestrel/firmware_3.0.0.29.bin"));
  }
  fs::remove_all(temporary);
}

TEST(KestrelUpdate, TheBarIsRedrawnInPlaceAndEndsItsLine) {
  std::ostringstream screen;
  tool::UpdateProgress bar(screen, tool::UpdateProgress::Style::kBar);
  const KST_ProgressCallback report = bar.callback();
  report(30, "Downloading the new firmware into the Kestrel...\n");
  report(60, "Rebooting...\n");
  bar.end();
  report(90, "after the end\n");  // no longer this bar's
  const std::string first = "\r[#########.....................]  30% Downloading the new firmware "
                            "into the Kestrel...";
  // The shorter line blanks out the rest of the longer one.
  const std::string second = "\r[##################............]  60% Rebooting...";
  EXPECT_EQ(screen.str(), first + second + std::string(first.size() - second.size(), ' ') + "\n");
}

}  // namespace
