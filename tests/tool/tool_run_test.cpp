// Whole kestrel runs in this process (its libusb is the virtual probe): the JSON document of
// every subcommand, the exit statuses and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/portable.h"
#include "support/tool_runner.h"

namespace {

using namespace tooltest;

// A fresh bus of probes with the demo chain, each named by its serial number after a mark of
// what sets it apart: '!' may not be opened, '#' another program holds it, '^' is left in its
// bootloader, '0' has no TAP, '<' has outdated firmware, '?' fails its echo self-test, '>' has
// the last USB id of the identity table.
ksim::DeviceId bus(const std::vector<std::string>& probes) {
  ksim::reset();
  ksim::DeviceId last = 0;
  for (const std::string& probe : probes) {
    const bool marked = std::string("!#^0<?>").find(probe[0]) != std::string::npos;
    const char mark = marked ? probe[0] : ' ';
    ksim::ProbeConfig config = demoProbe(probe.c_str() + marked, mark == '!');
    config.failClaimCommand = mark == '#';
    if (mark == '0') config.chain.clear();
    if (mark == '<') config.firmwareVersion = 0x03000028;
    if (mark == '>') config.vendorId = 0xF055;
    if (mark == '>') config.productId = 0x4B05;
    last = mark == '^' ? ksim::attachBootloader(config) : ksim::attachProbe(config);
    constexpr uint8_t kEcho = 0x00;
    if (mark == '?') ksim::injectFault(last, {ksim::Fault::FirmwareError, kEcho, 1, 0x55});
  }
  return last;
}

// The fields of shape ("name:type ...", types o a s u f: object, array, string, unsigned,
// float) in the document, each of its type.
void expectShape(const json& document, const std::string& shape) {
  std::istringstream fields(shape);
  for (std::string field; fields >> field;) {
    const std::string name = field.substr(0, field.size() - 2);
    ASSERT_TRUE(document.contains(name)) << name << " in " << document.dump();
    const json& value = document[name];
    const char type = value.is_number_float()      ? 'f'
                      : value.is_number_unsigned() ? 'u'
                                                   : value.type_name()[0];
    EXPECT_EQ(type, field.back()) << name;
  }
}

TEST(KestrelRun, EverySubcommandPrintsOneJsonDocumentAndNothingElse) {
  onlyProbe();
  const struct {
    std::vector<const char*> words;
    const char* shape;
    const char* says;  // in the document
  // clang-format off: one case a line
  } cases[] = {
      {{"list", "--json"}, "devices:a", ""},
      {{"--json", "info"}, "probe:o firmware_version:s hardware_id:u self_test:a", "\"firmware_version\":\"3.0.0.29\""},
      {{"--json", "info"}, "", "{\"bytes\":4344,\"ok\":true}]"},
      {{"jtag", "detect", "--json"}, "probe:o ir_length_total:u taps:a", "{\"idcode\":null,\"ir_length\":5,\"position\":2}"},
      {{"jtag", "detect", "--json"}, "", "\"idcode\":1268778103,\"ir_length\":4"},
      {{"dap", "info", "--json"}, "dp_idcode:u aps:a", ""},
      {{"mem", "read", "0x20000000", "8", "--json"}, "data:s read_bytes_per_second:f", ""},
      {{"power", "info", "--json"}, "hardware_word:u dcdc_version:s", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words.front());
    const Outcome run = kestrel(c.words);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const json document = run.document();
    EXPECT_EQ(document["schema_version"], tool::kJsonSchemaVersion);
    EXPECT_EQ(document["exit_status"], 0);
    EXPECT_TRUE(holds(document.dump(), c.says));
    expectShape(document, c.shape);
    const json& device = document.contains("probe") ? document["probe"] : document["devices"][0];
    expectShape(device, "index:u kind:s usb_id:s vendor_id:u product_id:u bus:u ports:a path:s "
                        "serial:s access:s");
    EXPECT_EQ(device["serial"], "KST00001");
  }
}

TEST(KestrelRun, MemWriteVerifiesAMebibyteAndNamesWhereItFails) {
  std::string image(1 << 20, '\0');
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 31 + (i >> 12));
  const std::string path = file("mem_image.bin", image);
  const std::vector<const char*> write = {"mem", "write", "0x20000000", path.c_str(), "--verify",
                                          "--json"};
  onlyProbe();
  Outcome run = kestrel(write);
  ASSERT_EQ(run.status, tool::kExitOk) << run.err;
  EXPECT_EQ(run.document()["verified"], true);
  // A byte read back wrong is named by its address.
  std::vector<uint8_t> firstPiece(image.begin(), image.begin() + 4344);
  firstPiece[0x123] ^= 0x40;
  ksim::scriptReply(onlyProbe(), {19, 0, firstPiece});  // CMAPI_MemRead
  run = kestrel(write);
  EXPECT_EQ(run.status, tool::kExitIo);
  EXPECT_EQ(run.document()["first_difference"], 0x20000123u);
  EXPECT_TRUE(holds(run.err, "verify failed at 0x20000123"));
  // A fault stops the transfer at its piece, with the firmware's result.
  ksim::ProbeConfig faulting = demoProbe();
  faulting.target.armFaults = {{0x20002000, 0x20002001}};
  onlyProbe(faulting);
  run = kestrel({"mem", "write", "0x20000000", path.c_str()});
  EXPECT_EQ(run.status, tool::kExitIo);
  EXPECT_TRUE(holds(run.err, "write failed in 0x200010EC..0x200021D7: the target's bus faulted on "
                             "the memory access (FW_MEMORY_FAULT, 0x201)"));
}

// The probes on the bus and what the run says of them: its status and the way out.
TEST(KestrelRun, ExitStatusesTellTheCausesApart) {
  const std::string typo = file("typo.cfg", "HARP.POD_DRVR=kestrel.dll\nLOOM.TCLK_FREQUNCY=10\n");
  const struct {
    std::vector<std::string> probes;
    std::vector<const char*> words;
    int status;
    const char* says;  // on standard error
  // clang-format off: one case a line
  } cases[] = {
      {{"KST00001", "KST00002"}, {"info"}, tool::kExitUsage, "2 probes found; choose one"},
      {{}, {"jtag", "detect"}, tool::kExitNoProbe, "no Kestrel probe found"},
      {{"!KST00001"}, {"info"}, tool::kExitPermission, "udev rule"},
      {{"?KST00001"}, {"info"}, tool::kExitIo, "the echo self-test failed"},
      {{"0KST00001"}, {"jtag", "detect"}, tool::kExitNoProbe, "no TAP found: is the target powered"},
      {{"#KST00001"}, {"info"}, tool::kExitBusy, "is busy: another program holds it"},
      {{"^KST00001"}, {"-p", "0", "info"}, tool::kExitNoProbe, "left in its bootloader: unplug"},
      {{"^KST00001"}, {"info"}, tool::kExitNoProbe, "no Kestrel probe found, only:\n  0   bootloader"},
      {{"^KST00001", ">"}, {"info"}, tool::kExitOk, ""},  // the only probe, without a serial number
      {{"KST00001", "KST00002"}, {"-p", "KST00002", "info"}, tool::kExitOk, ""},
      {{}, {"list"}, tool::kExitOk, ""},
      // The edges of each address family: the 64-bit commands end at 2^64, the 32-bit ones (and
      // AP 0, whose addresses are 32 bits wide) at 2^32; the ranges past them are refused below.
      {{"KST00001"}, {"mem", "read", "0xFFFFFFFFFFFFFFF0", "16", "--ap", "1"}, tool::kExitOk, ""},
      {{"KST00001"}, {"mem", "read", "0xFFFFFFFFFFFFFFFF", "0", "--ap", "1"}, tool::kExitOk, ""},
      {{"KST00001"}, {"mem", "read", "0xFFFFFFFC", "8", "--ap", "1"}, tool::kExitOk, ""},  // across 4 GiB
      {{"KST00001"}, {"mem", "read", "0xFFFFFFFC", "4", "--ap", "0"}, tool::kExitOk, ""},
      // A misspelt key is named, and the run goes on; -q hides notices, never the output asked for.
      {{"KST00001"}, {"jtag", "detect", "--config", typo.c_str()}, tool::kExitOk, "unknown key LOOM.TCLK_FREQUNCY; did you mean LOOM.TCLK_FREQUENCY?"},
      {{"KST00001"}, {"jtag", "detect", "--config", typo.c_str()}, tool::kExitOk, "test clock 5.5 MHz"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words[0] + std::string(" ") + c.words.back());
    bus(c.probes);
    const Outcome run = kestrel(c.words);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_TRUE(holds(run.err, c.says));
  }
  const Outcome quiet = kestrel({"-q", "jtag", "detect", "--config", typo.c_str()});
  EXPECT_EQ(quiet.err, "");
  EXPECT_TRUE(holds(quiet.out, "3 TAPs"));
}

// --config runs a command as a framework session: every shipped configuration on the virtual
// probe, the update notice of an outdated probe beside the document, the file's serial number
// as the probe choice (taken as it stands), and files the tool or the controller refuses.
TEST(KestrelRun, ConfigFilesRunAsFrameworkSessions) {
  const std::string driver = "HARP.POD_DRVR=kestrel.dll\n";
  const std::string second = file("second.cfg", driver + "HARP.POD_SERIAL=KST00002\n"),
                    prefix = file("prefix.cfg", driver + "HARP.POD_SERIAL=KST0\n"),
                    noDriver = file("nodriver.cfg", "LOOM.TCLK_PROGRAM=specific\n"),
                    badValue = file("bad.cfg", driver + "HARP.POD_SUPPLY=on\n");
  const char* jtag = KESTREL_EXAMPLES_DIR "/jtag.cfg";
  const char* cjtag = KESTREL_EXAMPLES_DIR "/cjtag.cfg";
  const char* swd = KESTREL_EXAMPLES_DIR "/swd.cfg";
  const std::string one = "\"serial\":\"KST00001\"", two = "\"serial\":\"KST00002\"";
  const std::string taps = "\"idcode\":1268778103,\"ir_length\":4";  // TAP 0
  const struct {
    std::vector<std::string> probes;
    std::vector<const char*> words;
    int status;
    std::string says;    // in the document (its error, where the run failed)
    const char* notice;  // on the process's standard output
  // clang-format off: one case a line
  } cases[] = {
      {{"KST00001"}, {"jtag", "detect", "--config", jtag}, 0, taps, ""},
      {{"KST00001"}, {"jtag", "detect", "--config", cjtag}, 0, taps, ""},
      {{"KST00001"}, {"info", "--config", swd}, 0, one, ""},
      {{"KST00001"}, {"jtag", "detect", "--config", swd}, tool::kExitIo, "-611", ""},
      {{"KST00001"}, {"dap", "info", "--config", swd}, 0, "\"dp_idcode\"", ""},
      {{"KST00001"}, {"mem", "read", "0x20000000", "8", "--config", jtag}, 0, "\"data\"", ""},
      {{"<KST00001"}, {"info", "--config", jtag}, 0, "\"firmware_version\":\"3.0.0.29\"", "Updating the Kestrel firmware ... complete.\n"},
      {{"KST00001", "KST00002"}, {"info", "--config", second.c_str()}, 0, two, ""},
      {{"KST00001", "KST00002"}, {"info", "-p", "KST00001", "--config", second.c_str()}, 0, one, ""},
      {{"KST00001"}, {"info", "--config", prefix.c_str()}, tool::kExitNoProbe, "no probe has the serial number KST0", ""},
      {{"KST00001"}, {"info", "--config", noDriver.c_str()}, tool::kExitConfig, "names no probe driver", ""},
      {{"KST00001"}, {"info", "--config", badValue.c_str()}, tool::kExitConfig, "the controller refused", ""},
      {{"KST00001"}, {"info", "--config", "/nonexistent.cfg"}, tool::kExitNoInput, "cannot read", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<const char*> words = c.words;
    SCOPED_TRACE(std::string(words[0]) + " --config " + words.back());
    bus(c.probes);
    words.push_back("--json");
    testing::internal::CaptureStdout();
    const Outcome run = kestrel(words);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.notice);
    EXPECT_EQ(run.status, c.status) << run.err;
    const json document = run.document();
    if (c.status != 0) {
      EXPECT_TRUE(holds(document["error"].get<std::string>(), c.says));
      continue;
    }
    EXPECT_EQ(document["framework"]["config"], c.words.back());
    EXPECT_TRUE(holds(document.dump(), c.says));
  }
  EXPECT_EQ(ksim::resources().handles, 0);
}

// Hostile input of every kind: the exit status, the one line that says why (a refused command
// line adds where its help is), a valid JSON document under --json, and no traffic or no
// memory command where the input was refused before use.
TEST(KestrelRun, HostileInputsAreRefusedWithOneLineAndNoHarm) {
  const std::string dir = ::testing::TempDir() + "kestrel_hostile/";
  const std::string small = file("small.bin", std::string(64, 'x'));
  std::filesystem::create_directories(dir);
  const std::string huge = dir + "huge.bin", fifo = dir + "fifo";
  std::ofstream{huge};
  std::filesystem::resize_file(huge, (uint64_t{1} << 30) + 1);  // sparse: no disk used
  std::remove(fifo.c_str());
  ASSERT_EQ(kstest::makeFifo(fifo), kstest::kHasFifos);
  enum Harm { kAny, kNoTraffic, kNoMemory };
  const struct {
    std::vector<std::string> words;
    int status;
    const char* says;
    Harm harm;
  // clang-format off: one case a line
  } cases[] = {
      {{"mem", "write", "0xFFFFFFFFFFFFFFF0", small}, tool::kExitUsage, "0xFFFFFFFFFFFFFFF0 + 64 bytes runs past the end", kNoTraffic},
      {{"mem", "write", "0xFFFFFFE0", small}, tool::kExitUsage, "of AP 0 (it has 32-bit addresses only)", kNoMemory},
      {{"mem", "read", "0xFFFFFFFFFFFFFFF0", "17", "--ap", "1"}, tool::kExitUsage, "runs past the end of the", kNoMemory},
      {{"mem", "read", "0xFFFFFFFFFFFFFFFF", "2", "--ap", "1"}, tool::kExitUsage, "runs past the end of the", kNoMemory},
      {{"mem", "read", "0xFFFFFFFC", "5", "--ap", "0"}, tool::kExitUsage, "runs past the end of the", kNoMemory},
      {{"mem", "read", "0x100000000", "0", "--ap", "0"}, tool::kExitUsage, "runs past the end of the", kNoMemory},
      {{"mem", "read", "0xFFFFFFFFFFFFFFF0", "64", "--ap", "0"}, tool::kExitUsage, "runs past the end of the", kNoMemory},
      {{"mem", "read", "0", "0x40000001"}, tool::kExitUsage, "at most 1 GiB", kNoTraffic},
      {{"mem", "write", "0", huge}, tool::kExitDataErr, "holds 1073741825 bytes, more than the 1 GiB", kNoTraffic},
      {{"mem", "write", "0", dir}, tool::kExitNoInput, "is a directory", kNoTraffic},
      {{"mem", "write", "0", dir + "none"}, tool::kExitNoInput, "No such file or directory", kNoTraffic},
      {{"info", "--config", "/dev/zero"}, tool::kExitConfig, "/dev/zero holds more than the 1 MiB", kNoTraffic},
      {{"info", "--config", dir}, tool::kExitNoInput, "is a directory", kNoTraffic},
      {{"info", "--config", fifo}, tool::kExitConfig, "names no probe driver", kNoTraffic},  // no writer
      {{"mem", "read", "0x20000000", "16", "--out", dir + "none/x.bin"}, tool::kExitIo, "cannot create", kNoTraffic},
      {{"mem", "read", "0x20000000", "16", "--out", "/dev/full"}, tool::kExitIo, "cannot write /dev/full: No space left on device", kAny},
      {{"-p", "\xFF\xFE\x1B[2J", "info"}, tool::kExitNoProbe, "matches", kNoTraffic},  // not UTF-8
      {{"mem", "read", "0x20000000", "4", "--ap", "9"}, tool::kExitIo, "(FW_BAD_ARGUMENTS, 0x103)", kAny},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += word + " ";
    // FIFOs and Linux's /dev/zero and /dev/full exist on Linux only.
    if (!kstest::kHasFifos && (holds(line, "/dev/") || holds(line, fifo))) continue;
    for (const bool asJson : {false, true}) {
      std::vector<const char*> words;
      for (const std::string& word : c.words) words.push_back(word.c_str());
      if (asJson) words.push_back("--json");
      SCOPED_TRACE(line + (asJson ? "--json" : ""));
      const ksim::DeviceId probe = onlyProbe();
      const Outcome run = kestrel(words);
      EXPECT_EQ(run.status, c.status) << run.err;
      EXPECT_TRUE(holds(run.err, c.says));
      EXPECT_EQ(run.err.rfind("kestrel: ", 0), 0u) << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'),
                1 + (run.err.find("\nRun 'kestrel ") != std::string::npos))
          << run.err;
      EXPECT_EQ(asJson ? run.document()["exit_status"].get<int>() : c.status, c.status);
      EXPECT_EQ(c.harm == kNoTraffic ? ksim::commandPackets(probe).size() : 0u, 0u);
      // CMAPI_MemRead, MemWrite and their 64-bit forms.
      EXPECT_EQ(c.harm == kNoMemory ? commandsSent(probe, {19, 20, 61, 62}) : 0, 0);
    }
  }
  // What a device says is shown with its control characters escaped.
  bus({"KST\x1B[31m01"});
  const Outcome listed = kestrel({"list"});
  EXPECT_TRUE(holds(listed.out, "KST\\x1B[31m01"));
  EXPECT_EQ(listed.out.find('\x1B'), std::string::npos);
}

}  // namespace
