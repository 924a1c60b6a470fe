// Whole kestrel runs in this process (its libusb is the virtual probe): the JSON document of
// every subcommand and the exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "kestrel/command_line.h"
#include "kestrel/commands.h"
#include "kestrel/exit_status.h"
#include "kestrel_sim/sim.h"
#include "support/portable.h"
#include "tool_runner.h"

namespace {

using nlohmann::json;

using tooltest::kestrel;
using tooltest::Outcome;

ksim::DeviceId attach(const char* serial, bool failOpen = false) {
  ksim::ProbeConfig config;
  config.serial = serial;
  config.failOpen = failOpen;
  config.chain = ksim::demoChain();
  return ksim::attachProbe(config);
}

// The fields every document of one command carries, with their JSON types.
void expectFields(const json& document,
                  const std::vector<std::pair<const char*, json::value_t>>& fields) {
  for (const auto& [name, type] : fields) {
    ASSERT_TRUE(document.contains(name)) << name << " in " << document.dump();
    EXPECT_EQ(document[name].type(), type) << name;
  }
}

const std::vector<std::pair<const char*, json::value_t>> kDeviceFields = {
    {"index", json::value_t::number_unsigned},
    {"kind", json::value_t::string},
    {"usb_id", json::value_t::string},
    {"vendor_id", json::value_t::number_unsigned},
    {"product_id", json::value_t::number_unsigned},
    {"bus", json::value_t::number_unsigned},
    {"ports", json::value_t::array},
    {"path", json::value_t::string},
    {"serial", json::value_t::string},
    {"access", json::value_t::string},
};

TEST(KestrelRun, EverySubcommandPrintsOneJsonDocumentAndNothingElse) {
  ksim::reset();
  attach("KST00001");
  const struct {
    std::vector<const char*> words;
    std::vector<std::pair<const char*, json::value_t>> fields;
  // clang-format off: one case a line
  } cases[] = {
      {{"list", "--json"}, {{"devices", json::value_t::array}}},
      {{"--json", "info"}, {{"probe", json::value_t::object}, {"firmware_version", json::value_t::string}, {"hardware_id", json::value_t::number_unsigned}, {"self_test", json::value_t::array}}},
      {{"jtag", "detect", "--json"}, {{"probe", json::value_t::object}, {"ir_length_total", json::value_t::number_unsigned}, {"taps", json::value_t::array}}},
      {{"dap", "info", "--json"}, {{"dp_idcode", json::value_t::number_unsigned}, {"aps", json::value_t::array}}},
      {{"mem", "read", "0x20000000", "8", "--json"}, {{"data", json::value_t::string}, {"read_bytes_per_second", json::value_t::number_float}}},
      {{"power", "info", "--json"}, {{"hardware_word", json::value_t::number_unsigned}, {"dcdc_version", json::value_t::string}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words.front());
    const Outcome run = kestrel(c.words);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const json document = json::parse(run.out);  // throws on anything but one document
    EXPECT_EQ(document["schema_version"], tool::kJsonSchemaVersion);
    EXPECT_EQ(document["exit_status"], 0);
    expectFields(document, c.fields);
    const json& device = document.contains("probe") ? document["probe"] : document["devices"][0];
    expectFields(device, kDeviceFields);
    EXPECT_EQ(device["serial"], "KST00001");
  }
  const json detect = json::parse(kestrel({"--json", "jtag", "detect"}).out);
  EXPECT_EQ(detect["taps"][0]["idcode"], 0x4BA00477u);
  EXPECT_EQ(detect["taps"][2]["idcode"], nullptr);
  EXPECT_EQ(detect["taps"][2]["ir_length"], 5);
  const json info = json::parse(kestrel({"--json", "info"}).out);
  EXPECT_EQ(info["firmware_version"], "3.0.0.29");
  EXPECT_EQ(info["self_test"][2], (json{{"bytes", 4344}, {"ok", true}}));
}

TEST(KestrelRun, MemWriteVerifiesAMebibyteAndNamesWhereItFails) {
  const std::string path = ::testing::TempDir() + "kestrel_mem_image.bin";
  std::vector<char> image(1 << 20);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 31 + (i >> 12));
  std::ofstream(path, std::ios::binary)
      .write(image.data(), static_cast<std::streamsize>(image.size()));
  const std::vector<const char*> write = {"mem",        "write",    "0x20000000",
                                          path.c_str(), "--verify", "--json"};

  ksim::reset();
  attach("KST00001");
  Outcome run = kestrel(write);
  ASSERT_EQ(run.status, tool::kExitOk) << run.err;
  EXPECT_EQ(json::parse(run.out)["verified"], true);
  // A byte read back wrong is named by its address.
  constexpr int kMemRead = 19;
  ksim::reset();
  const ksim::DeviceId probe = attach("KST00001");
  std::vector<uint8_t> firstPiece(image.begin(), image.begin() + 4344);
  firstPiece[0x123] ^= 0x40;
  ksim::scriptReply(probe, {kMemRead, 0, firstPiece});
  run = kestrel(write);
  EXPECT_EQ(run.status, tool::kExitIo);
  EXPECT_EQ(json::parse(run.out)["first_difference"], 0x20000123u);
  EXPECT_NE(run.err.find("verify failed at 0x20000123"), std::string::npos) << run.err;
  // A fault stops the transfer at its piece, with the firmware's result.
  ksim::reset();
  ksim::ProbeConfig config;
  config.target.armFaults = {{0x20002000, 0x20002001}};
  ksim::attachProbe(config);
  run = kestrel({"mem", "write", "0x20000000", path.c_str()});
  EXPECT_EQ(run.status, tool::kExitIo);
  EXPECT_NE(run.err.find("wrote failed in 0x200010EC..0x200021D7: the target's bus faulted on the "
                         "memory access (FW_MEMORY_FAULT, 0x201)"),
            std::string::npos)
      << run.err;
}

TEST(KestrelRun, ExitStatusesTellTheCausesApart) {
  const struct {
    const char* name;
    std::vector<const char*> probes;  // serial numbers; a leading '!' may not be opened
    std::vector<const char*> words;
    int status;
    const char* says;
  // clang-format off: one case a line
  } cases[] = {
      {"usage", {"KST00001"}, {"jtag", "DETECT"}, tool::kExitUsage, "unknown jtag subcommand"},
      {"several probes", {"KST00001", "KST00002"}, {"info"}, tool::kExitUsage, "2 probes found; choose one"},
      {"empty bus", {}, {"jtag", "detect"}, tool::kExitNoProbe, "no Kestrel probe found"},
      {"no such probe", {"KST00001"}, {"-p", "X", "info"}, tool::kExitNoProbe, "matches"},
      {"permission", {"!KST00001"}, {"info"}, tool::kExitPermission, "udev rule"},
      {"device failure", {"KST00001"}, {"info"}, tool::kExitIo, "the echo self-test failed"},
      {"chosen of two", {"KST00001", "KST00002"}, {"-p", "KST00002", "info"}, tool::kExitOk, ""},
      {"empty list", {}, {"list"}, tool::kExitOk, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    ksim::DeviceId last = 0;
    for (const char* serial : c.probes)
      last = attach(serial + (serial[0] == '!'), serial[0] == '!');
    constexpr int kEcho = 0x00;
    if (c.status == tool::kExitIo)
      ksim::injectFault(last, {ksim::Fault::FirmwareError, kEcho, 1, 0x55});
    const Outcome run = kestrel(c.words);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
}

// --config runs a command as a framework session: every shipped configuration on the virtual
// probe, the update notice of an outdated probe beside the document, the file's serial number
// as the probe choice (taken as it stands), and files the tool or the controller refuses.
TEST(KestrelRun, ConfigFilesRunAsFrameworkSessions) {
  const std::string dir = testing::TempDir();
  const auto file = [&dir](const char* name, const char* text) {
    std::ofstream(dir + name) << text;
    return dir + name;
  };
  const std::string second =
      file("second.cfg", "HARP.POD_DRVR=kestrel.dll\nHARP.POD_SERIAL=KST00002\n");
  const std::string prefix =
      file("prefix.cfg", "HARP.POD_DRVR=kestrel.dll\nHARP.POD_SERIAL=KST0\n");
  const std::string noDriver = file("nodriver.cfg", "LOOM.TCLK_PROGRAM=specific\n");
  const std::string badValue = file("bad.cfg", "HARP.POD_DRVR=kestrel.dll\nHARP.POD_SUPPLY=on\n");
  const std::string jtag = KESTREL_EXAMPLES_DIR "/jtag.cfg",
                    cjtag = KESTREL_EXAMPLES_DIR "/cjtag.cfg",
                    swd = KESTREL_EXAMPLES_DIR "/swd.cfg";
  const struct {
    const char* name;
    std::vector<const char*> probes;
    uint32_t firmware;
    std::vector<const char*> words;
    int status;
    const char* says;    // in the document's error
    const char* notice;  // on the process's standard output
  // clang-format off: one case a line
  } cases[] = {
      {"jtag", {"KST00001"}, 0x03000029, {"jtag", "detect", "--config", jtag.c_str()}, 0, "", ""},
      {"cjtag", {"KST00001"}, 0x03000029, {"jtag", "detect", "--config", cjtag.c_str()}, 0, "", ""},
      {"swd", {"KST00001"}, 0x03000029, {"info", "--config", swd.c_str()}, 0, "", ""},
      {"swd refuses JTAG", {"KST00001"}, 0x03000029, {"jtag", "detect", "--config", swd.c_str()}, tool::kExitIo, "-611", ""},
      {"dap through CMAPI", {"KST00001"}, 0x03000029, {"dap", "info", "--config", swd.c_str()}, 0, "", ""},
      {"mem through CMAPI", {"KST00001"}, 0x03000029, {"mem", "read", "0x20000000", "8", "--config", jtag.c_str()}, 0, "", ""},
      {"outdated", {"KST00001"}, 0x03000028, {"info", "--config", jtag.c_str()}, 0, "", "Updating the Kestrel firmware ... complete.\n"},
      {"file's serial", {"KST00001", "KST00002"}, 0x03000029, {"info", "--config", second.c_str()}, 0, "", ""},
      {"--probe first", {"KST00001", "KST00002"}, 0x03000029, {"info", "-p", "KST00001", "--config", second.c_str()}, 0, "", ""},
      {"serial as it stands", {"KST00001"}, 0x03000029, {"info", "--config", prefix.c_str()}, tool::kExitNoProbe, "no probe has the serial number KST0", ""},
      {"no driver", {"KST00001"}, 0x03000029, {"info", "--config", noDriver.c_str()}, tool::kExitConfig, "names no probe driver", ""},
      {"refused value", {"KST00001"}, 0x03000029, {"info", "--config", badValue.c_str()}, tool::kExitConfig, "the controller refused", ""},
      {"missing file", {"KST00001"}, 0x03000029, {"info", "--config", "/nonexistent.cfg"}, tool::kExitNoInput, "cannot read", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    for (const char* serial : c.probes) {
      ksim::ProbeConfig config;
      config.serial = serial;
      config.firmwareVersion = c.firmware;
      config.chain = ksim::demoChain();
      ksim::attachProbe(config);
    }
    std::vector<const char*> words = c.words;
    words.push_back("--json");
    testing::internal::CaptureStdout();
    const Outcome run = kestrel(words);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.notice);
    EXPECT_EQ(run.status, c.status) << run.err;
    const json document = json::parse(run.out);
    if (c.status != 0) {
      EXPECT_NE(document["error"].get<std::string>().find(c.says), std::string::npos) << run.err;
      continue;
    }
    EXPECT_EQ(document["framework"]["config"], words[words.size() - 2]);
    if (document.contains("taps")) {
      EXPECT_EQ(document["taps"].size(), 3u);
      EXPECT_EQ(document["taps"][0]["idcode"], 0x4BA00477u);
    } else if (document.contains("firmware_version")) {
      EXPECT_EQ(document["firmware_version"], "3.0.0.29");
      EXPECT_EQ(document["probe"]["serial"],
                c.probes.size() == 1 || words[1] == std::string("-p") ? "KST00001" : "KST00002");
    }
  }
  EXPECT_EQ(ksim::resources().handles, 0);
}

// Memory commands (CMAPI_MemRead, MemWrite and their 64-bit forms) the probe was sent.
int memoryCommands(ksim::DeviceId probe) {
  int count = 0;
  for (const std::vector<uint8_t>& packet : ksim::commandPackets(probe))
    count += packet.size() > 3 && (packet[3] == 19 || packet[3] == 20 || packet[3] == 61 ||
                                   packet[3] == 62);
  return count;
}

// The edges of each address family: the 64-bit commands end at 2^64, the 32-bit ones (and
// AP 0, whose addresses are 32 bits wide) at 2^32. A refused range sends no memory command.
TEST(KestrelRun, RangesStopAtTheEndOfTheirAddressFamily) {
  const struct {
    const char* ap;
    const char* address;
    const char* length;
    int status;
  // clang-format off: one case a line
  } cases[] = {
      {"1", "0xFFFFFFFFFFFFFFF0", "16", tool::kExitOk},
      {"1", "0xFFFFFFFFFFFFFFF0", "17", tool::kExitUsage},
      {"1", "0xFFFFFFFFFFFFFFFF", "0", tool::kExitOk},
      {"1", "0xFFFFFFFFFFFFFFFF", "2", tool::kExitUsage},
      {"1", "0xFFFFFFFC", "8", tool::kExitOk},  // across 4 GiB on the 64-bit AP
      {"0", "0xFFFFFFFC", "4", tool::kExitOk},
      {"0", "0xFFFFFFFC", "5", tool::kExitUsage},
      {"0", "0x100000000", "0", tool::kExitUsage},
      {"0", "0xFFFFFFFFFFFFFFF0", "64", tool::kExitUsage},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.address) + " + " + c.length + " on AP " + c.ap);
    ksim::reset();
    const ksim::DeviceId probe = attach("KST00001");
    const Outcome run = kestrel({"mem", "read", c.address, c.length, "--ap", c.ap});
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status == tool::kExitOk) continue;
    EXPECT_NE(run.err.find("runs past the end of the"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(memoryCommands(probe), 0);
  }
}

// Hostile input of every kind: the exit status, the one line that says why, a valid JSON
// document under --json, and no traffic or no file where the input was refused before use.
TEST(KestrelRun, HostileInputsAreRefusedWithOneLineAndNoHarm) {
  const std::string dir = testing::TempDir() + "kestrel_hostile/";
  std::filesystem::create_directories(dir);
  const std::string small = dir + "small.bin", huge = dir + "huge.bin", fifo = dir + "fifo";
  std::ofstream(small, std::ios::binary) << std::string(64, 'x');
  std::ofstream{huge};
  std::filesystem::resize_file(huge, (uint64_t{1} << 30) + 1);  // sparse: no disk used
  std::remove(fifo.c_str());
  ASSERT_EQ(kstest::makeFifo(fifo), kstest::kHasFifos);
  enum Harm { kAny, kNoTraffic, kNoMemory };
  const struct {
    const char* name;
    std::vector<std::string> words;
    int status;
    const char* says;
    Harm harm;
  // clang-format off: one case a line
  } cases[] = {
      {"range wraps past 2^64", {"mem", "write", "0xFFFFFFFFFFFFFFF0", small}, tool::kExitUsage, "0xFFFFFFFFFFFFFFF0 + 64 bytes runs past the end", kNoTraffic},
      {"range past 2^32 on a 32-bit AP", {"mem", "write", "0xFFFFFFE0", small}, tool::kExitUsage, "of AP 0 (it has 32-bit addresses only)", kNoMemory},
      {"length above 1 GiB", {"mem", "read", "0", "0x40000001"}, tool::kExitUsage, "at most 1 GiB", kNoTraffic},
      {"image above 1 GiB", {"mem", "write", "0", huge}, tool::kExitDataErr, "holds 1073741825 bytes, more than the 1 GiB", kNoTraffic},
      {"directory as image", {"mem", "write", "0", dir}, tool::kExitNoInput, "is a directory", kNoTraffic},
      {"missing image", {"mem", "write", "0", dir + "none"}, tool::kExitNoInput, "No such file or directory", kNoTraffic},
      {"endless --config", {"info", "--config", "/dev/zero"}, tool::kExitConfig, "/dev/zero holds more than the 1 MiB", kNoTraffic},
      {"directory as --config", {"info", "--config", dir}, tool::kExitNoInput, "is a directory", kNoTraffic},
      {"FIFO without a writer as --config", {"info", "--config", fifo}, tool::kExitConfig, "names no probe driver", kNoTraffic},
      {"--out that cannot be created", {"mem", "read", "0x20000000", "16", "--out", dir + "none/x.bin"}, tool::kExitIo, "cannot create", kNoTraffic},
      {"--out on a full disk", {"mem", "read", "0x20000000", "16", "--out", "/dev/full"}, tool::kExitIo, "cannot write /dev/full: No space left on device", kAny},
      {"bytes that are not UTF-8", {"-p", "\xFF\xFE\x1B[2J", "info"}, tool::kExitNoProbe, "matches", kNoTraffic},
      {"an access port the target lacks", {"mem", "read", "0x20000000", "4", "--ap", "9"}, tool::kExitIo, "(FW_BAD_ARGUMENTS, 0x103)", kAny},
  };
  // clang-format on
  // FIFOs and Linux's /dev/zero and /dev/full exist on Linux only.
  const auto systemSpecific = [&](const std::vector<std::string>& words) {
    return std::any_of(words.begin(), words.end(), [&](const std::string& word) {
      return word == fifo || word.rfind("/dev/", 0) == 0;
    });
  };
  for (const auto& c : cases) {
    if (!kstest::kHasFifos && systemSpecific(c.words)) continue;
    for (const bool asJson : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (asJson ? " --json" : ""));
      ksim::reset();
      const ksim::DeviceId probe = attach("KST00001");
      std::vector<const char*> words;
      for (const std::string& word : c.words) words.push_back(word.c_str());
      if (asJson) words.push_back("--json");
      const Outcome run = kestrel(words);
      EXPECT_EQ(run.status, c.status) << run.err;
      EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
      EXPECT_EQ(run.err.rfind("kestrel: ", 0), 0u) << run.err;
      // One line; a refused command line adds where its help is.
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'),
                c.status == tool::kExitUsage && c.harm == kNoTraffic && c.words[0] == "mem" &&
                        c.words[1] == "read"
                    ? 2
                    : 1)
          << run.err;
      if (asJson) {
        const json document = json::parse(run.out);  // throws on anything but one document
        EXPECT_EQ(document["exit_status"], c.status);
      }
      if (c.harm == kNoTraffic) {
        EXPECT_TRUE(ksim::commandPackets(probe).empty());
      }
      if (c.harm == kNoMemory) {
        EXPECT_EQ(memoryCommands(probe), 0);
      }
    }
  }
  // What a device says is shown with its control characters escaped.
  ksim::reset();
  attach("KST\x1B[31m01");
  const Outcome listed = kestrel({"list"});
  EXPECT_NE(listed.out.find("KST\\x1B[31m01"), std::string::npos) << listed.out;
  EXPECT_EQ(listed.out.find('\x1B'), std::string::npos);
}

// What a run says about the probe and its target besides the data: the empty chain, a probe
// another program holds, one left in its bootloader, a misspelt --config key, and -q, which
// hides notices but never the output asked for.
TEST(KestrelRun, ProbeAndTargetTroublesAreNamedWithTheWayOut) {
  const std::string typo = testing::TempDir() + "typo.cfg";
  std::ofstream(typo) << "HARP.POD_DRVR=kestrel.dll\nLOOM.TCLK_FREQUNCY=10\n";
  const struct {
    const char* name;
    std::vector<const char*> words;
    int status;
    const char* says;  // on standard error
    bool bootloader;
    bool emptyChain;
    bool busy;
  // clang-format off: one case a line
  } cases[] = {
      {"empty chain", {"jtag", "detect"}, tool::kExitNoProbe, "no TAP found: is the target powered", false, true, false},
      {"busy", {"info"}, tool::kExitBusy, "is busy: another program holds it", false, false, true},
      {"bootloader", {"-p", "0", "info"}, tool::kExitNoProbe, "left in its bootloader: unplug", true, false, false},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    ksim::ProbeConfig config;
    if (!c.emptyChain) config.chain = ksim::demoChain();
    config.failClaimCommand = c.busy;
    if (c.bootloader) ksim::attachBootloader(config);
    else ksim::attachProbe(config);
    const Outcome run = kestrel(c.words);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  ksim::reset();
  attach("KST00001");
  const Outcome typoRun = kestrel({"jtag", "detect", "--config", typo.c_str()});
  EXPECT_NE(typoRun.err.find("unknown key LOOM.TCLK_FREQUNCY; did you mean LOOM.TCLK_FREQUENCY?"),
            std::string::npos)
      << typoRun.err;
  EXPECT_NE(typoRun.err.find("test clock 5.5 MHz"), std::string::npos) << typoRun.err;
  const Outcome quiet = kestrel({"-q", "jtag", "detect", "--config", typo.c_str()});
  EXPECT_EQ(quiet.err, "");
  EXPECT_NE(quiet.out.find("3 TAPs"), std::string::npos) << quiet.out;
  const Outcome list = kestrel({"list"});
  EXPECT_EQ(list.status, 0);
}

}  // namespace
