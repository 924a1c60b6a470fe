// Opening the controller: firmware check, test clock, reset sequence and the target connect;
// the connect operation's event record; the target's reset lines.
#include "jsc_fixture.h"

namespace jsctest {
namespace {

class OpenConnect : public JscTest {};

TEST_F(OpenConnect, TheFirstOpenClocksAndPulsesTrstThenConnectsPlainJtag) {
  attach();
  auto s = session();
  s->host().set("LOOM.TCLK_PROGRAM", "specific");
  s->host().set("LOOM.TCLK_FREQUENCY", "13MHz");
  ASSERT_EQ(s->start(), 0);
  std::vector<Bytes> sent = packets();
  ASSERT_EQ(sent.size(), 9u);
  sent.erase(sent.begin(), sent.begin() + 2);  // the open's connect and the version read
  struct Expected {
    uint8_t code;
    uint32_t argument;
  };
  const Expected expected[] = {
      {kSetTclkDelay, 0xFFFFFFFE}, {kGetTrst, 0}, {kSetTrst, 0},
      {kCycleTclk, 24000},         {kSetTrst, 1}, {kCycleTclk, 480000},
      {kCjtagConnect, 1},
  };
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(codeOf(sent[i]), expected[i].code);
    if (codeOf(sent[i]) == kSetTrst) {
      EXPECT_EQ(sent[i].at(4), expected[i].argument);
    } else if (sent[i].size() >= 8) {
      EXPECT_EQ(argU32(sent[i], 0), expected[i].argument);
    }
  }
  EXPECT_EQ(KST_GetHandle(s->scanManager())->tclkFrequency, 12000000u);
}

TEST_F(OpenConnect, OutdatedFirmwareIsRefusedOrUpdatedByMode) {
  struct Case {
    uint32_t version;
    uint32_t mode;
    int32_t result;
    const char* console;
  };
  // The update itself answers "not provided" until the DFU update is part of the library.
  const Case cases[] = {
      {0x03000028, loomhost::kModeNoUpdate, -263, ""},
      {0x03010000, loomhost::kModeNoUpdate, -263, ""},
      {0x03000028, 1, -263, ""},
      {0x03000028, loomhost::kModeSilentUpdate, -601, ""},
      {0x03010000, loomhost::kModeJtag, -601, "Updating the Kestrel firmware ... failed.\n"},
      {0x03000029, loomhost::kModeNoUpdate, 0, ""},
      {0x0300FFFF, loomhost::kModeNoUpdate, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.version << " mode " << std::dec << c.mode);
    ksim::reset();
    ksim::ProbeConfig config;
    config.firmwareVersion = c.version;
    attach(config);
    auto s = session(c.mode);
    testing::internal::CaptureStdout();
    EXPECT_EQ(s->start(), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.console);
    EXPECT_EQ(ksim::resources().handles, c.result == 0 ? 1 : 0);
    if (c.result != 0) {
      JscHandle* h = s->handle();
      EXPECT_EQ(JSC_DeleteHandle(&h), -116) << "bound, but without its record";
    }
  }
}

TEST_F(OpenConnect, TheConnectRecordsItsEventsAndRefusesUnequalTrstBytes) {
  attach();
  auto s = session(loomhost::kModeJtag, 0, JSC_CREATE_EVENT_LOG);
  ASSERT_EQ(s->start(), 0);
  newPackets();
  const auto connect = s->operation<JSC_ConnectControllerFn>(JSC_SLOT_CONNECT_CONTROLLER);
  const ConnectOptions unequal{{0, 0}, 0, {1, 0}, 0};
  EXPECT_EQ(connect(s->handle(), &unequal), -122);
  EXPECT_TRUE(newPackets().empty());

  const ConnectOptions recorded{{1, 0}, 0, {1, 1}, 1};
  ASSERT_EQ(connect(s->handle(), &recorded), 0);
  const std::vector<Bytes> sent = newPackets();
  ASSERT_EQ(sent.size(), 6u);
  EXPECT_EQ(codeOf(sent[5]), kGotoState);
  EXPECT_EQ(argU32(sent[5], 0), 1u);
  EXPECT_EQ(argU32(sent[5], 4), 1u);

  std::vector<uint32_t> words(20);
  uint8_t done = 0;
  uint32_t count = 0, needed = 0;
  ASSERT_EQ(s->operation<JSC_ReadEventLogFn>(JSC_SLOT_READ_EVENT_LOG)(
                s->handle(), 1, &done, 20, words.data(), &count, &needed),
            0);
  words.resize(count);
  EXPECT_EQ(words,
            (std::vector<uint32_t>{13, 42, 58, 45, 9, 28, 31, 22, 25, 0xFFFFFFFF, 0, 40, 0}));
}

TEST_F(OpenConnect, ASystemResetPulseWaitsInTestClockCycles) {
  attach();
  auto s = opened();
  const auto lines = s->operation<JSC_ControlTargetLinesFn>(JSC_SLOT_CONTROL_TARGET_LINES);
  uint8_t done = 9;
  ASSERT_EQ(lines(s->handle(), 2, 0, &done, 0x13, 1), 0);
  EXPECT_EQ(done, 1);
  const std::vector<Bytes> sent = newPackets();
  ASSERT_EQ(sent.size(), 5u);
  const uint8_t codes[] = {kCycleTclk, kSetSrst, kCycleTclk, kSetSrst, kCycleTclk};
  const uint32_t cycles[] = {275000, 0, 275000, 0, 550000};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(codeOf(sent[i]), codes[i]);
    if (codes[i] == kCycleTclk) {
      EXPECT_EQ(argU32(sent[i], 0), cycles[i]);
    }
  }
  EXPECT_EQ(sent[1].at(4), 0);
  EXPECT_EQ(sent[3].at(4), 1);
  EXPECT_EQ(ksim::probeStatus(device_).srst, 1);
  EXPECT_EQ(lines(s->handle(), 4, 0, &done, 0, 0), -122);
  EXPECT_EQ(lines(s->handle(), 1, 0, &done, 0, 0), 0);
  EXPECT_EQ(done, 0);
}

}  // namespace
}  // namespace jsctest
