// Whole kestrel runs in this process (its libusb is the virtual probe): the JSON document of
// every subcommand and the exit statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "kestrel/command_line.h"
#include "kestrel/commands.h"
#include "kestrel/exit_status.h"
#include "kestrel_sim/sim.h"
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
  } cases[] = {
      {{"list", "--json"}, {{"devices", json::value_t::array}}},
      {{"--json", "info"},
       {{"probe", json::value_t::object},
        {"firmware_version", json::value_t::string},
        {"hardware_id", json::value_t::number_unsigned},
        {"self_test", json::value_t::array}}},
      {{"jtag", "detect", "--json"},
       {{"probe", json::value_t::object},
        {"ir_length_total", json::value_t::number_unsigned},
        {"taps", json::value_t::array}}},
      {{"dap", "info", "--json"},
       {{"dp_idcode", json::value_t::number_unsigned}, {"aps", json::value_t::array}}},
      {{"mem", "read", "0x20000000", "8", "--json"},
       {{"data", json::value_t::string}, {"read_bytes_per_second", json::value_t::number_float}}},
      {{"power", "info", "--json"},
       {{"hardware_word", json::value_t::number_unsigned},
        {"dcdc_version", json::value_t::string}}},
  };
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
  EXPECT_NE(run.err.find("wrote stopped at 0x200010EC: probe error 0x00000201"), std::string::npos)
      << run.err;
}

TEST(KestrelRun, ExitStatusesTellTheCausesApart) {
  const struct {
    const char* name;
    std::vector<const char*> probes;  // serial numbers; a leading '!' may not be opened
    std::vector<const char*> words;
    int status;
    const char* says;
  } cases[] = {
      {"usage", {"KST00001"}, {"jtag", "DETECT"}, tool::kExitUsage, "unknown jtag subcommand"},
      {"several probes",
       {"KST00001", "KST00002"},
       {"info"},
       tool::kExitUsage,
       "2 probes found; choose one"},
      {"empty bus", {}, {"jtag", "detect"}, tool::kExitNoProbe, "no Kestrel probe found"},
      {"no such probe", {"KST00001"}, {"-p", "X", "info"}, tool::kExitNoProbe, "matches"},
      {"permission", {"!KST00001"}, {"info"}, tool::kExitPermission, "udev rule"},
      {"device failure", {"KST00001"}, {"info"}, tool::kExitIo, "the echo self-test failed"},
      {"chosen of two", {"KST00001", "KST00002"}, {"-p", "KST00002", "info"}, tool::kExitOk, ""},
      {"empty list", {}, {"list"}, tool::kExitOk, ""},
  };
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

TEST(KestrelRun, FailuresUnderJsonStillPrintTheDocumentWithTheError) {
  ksim::reset();
  attach("KST00001", true);
  const Outcome run = kestrel({"--json", "info"});
  EXPECT_EQ(run.status, tool::kExitPermission);
  const json document = json::parse(run.out);
  EXPECT_EQ(document["exit_status"], tool::kExitPermission);
  EXPECT_NE(document["error"].get<std::string>().find("may not open it"), std::string::npos);
  EXPECT_EQ(run.err, "kestrel: " + document["error"].get<std::string>() + "\n");
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
  } cases[] = {
      {"jtag", {"KST00001"}, 0x03000029, {"jtag", "detect", "--config", jtag.c_str()}, 0, "", ""},
      {"cjtag", {"KST00001"}, 0x03000029, {"jtag", "detect", "--config", cjtag.c_str()}, 0, "", ""},
      {"swd", {"KST00001"}, 0x03000029, {"info", "--config", swd.c_str()}, 0, "", ""},
      {"swd refuses JTAG",
       {"KST00001"},
       0x03000029,
       {"jtag", "detect", "--config", swd.c_str()},
       tool::kExitIo,
       "-611",
       ""},
      {"dap through CMAPI",
       {"KST00001"},
       0x03000029,
       {"dap", "info", "--config", swd.c_str()},
       0,
       "",
       ""},
      {"mem through CMAPI",
       {"KST00001"},
       0x03000029,
       {"mem", "read", "0x20000000", "8", "--config", jtag.c_str()},
       0,
       "",
       ""},
      {"outdated",
       {"KST00001"},
       0x03000028,
       {"info", "--config", jtag.c_str()},
       0,
       "",
       "Updating the Kestrel firmware ... complete.\n"},
      {"file's serial",
       {"KST00001", "KST00002"},
       0x03000029,
       {"info", "--config", second.c_str()},
       0,
       "",
       ""},
      {"--probe first",
       {"KST00001", "KST00002"},
       0x03000029,
       {"info", "-p", "KST00001", "--config", second.c_str()},
       0,
       "",
       ""},
      {"serial as it stands",
       {"KST00001"},
       0x03000029,
       {"info", "--config", prefix.c_str()},
       tool::kExitNoProbe,
       "no probe has the serial number KST0",
       ""},
      {"no driver",
       {"KST00001"},
       0x03000029,
       {"info", "--config", noDriver.c_str()},
       tool::kExitConfig,
       "names no probe driver",
       ""},
      {"refused value",
       {"KST00001"},
       0x03000029,
       {"info", "--config", badValue.c_str()},
       tool::kExitConfig,
       "the controller refused",
       ""},
      {"missing file",
       {"KST00001"},
       0x03000029,
       {"info", "--config", "/nonexistent.cfg"},
       tool::kExitIo,
       "cannot read",
       ""},
  };
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

}  // namespace
