// Opening the controller: firmware check, test clock, reset sequence and the target connect;
// one controller opened through two handles; the connect operation's event record; the
// target's reset lines.
#include <utility>

#include "jsc/controller_handle.h"
#include "jsc_fixture.h"

namespace jsctest {
namespace {

class OpenConnect : public JscTest {};

// The whole first open of a cJTAG target at 13 MHz, and its close: cJTAG is disconnected before
// JTAG is isolated.
TEST_F(OpenConnect, TheFirstOpenClocksAndPulsesTrstThenConnectsInTheConfiguredFormat) {
  attach();
  auto s = session();
  for (const auto& [key, value] : {std::pair{"LOOM.TCLK_PROGRAM", "specific"},
                                   {"LOOM.TCLK_FREQUENCY", "13MHz"},
                                   {"DOT7.DTS_USAGE", "enable"},
                                   {"DOT7.TS_FORMAT", "oscan1"},
                                   {"LOOM.JTAG_ISOLATE", "enable"}})
    s->host().set(key, value);
  ASSERT_EQ(s->start(), 0);
  const std::vector<Sent> expected = {
      {kConnect, 0}, {kVersion, 0},        {kSetTclkDelay, 0xFFFFFFFE},
      {kGetTrst, 0}, {kSetTrst, 0},        {kCycleTclk, 24000},
      {kSetTrst, 1}, {kCycleTclk, 480000}, {kCjtagConnect, 7},
  };
  EXPECT_EQ(summary(newPackets()), expected);
  EXPECT_EQ(s->close(), 0);
  EXPECT_EQ(codes(newPackets()),
            (std::vector<uint8_t>{kSwdDisableSwo, kCjtagDisconnect, kJtagIsolate, kDisconnect}));
}

TEST_F(OpenConnect, OutdatedFirmwareIsRefusedOrUpdatedByMode) {
  struct Case {
    uint32_t version;
    uint32_t mode;
    int32_t result;
    const char* console;
    bool downloadFails = false;
  };
  // The update installs the image the build puts beside the library (3.0.0.29).
  const Case cases[] = {
      {0x03000028, loomhost::kModeNoUpdate, -263, ""},
      {0x03010000, loomhost::kModeNoUpdate, -263, ""},
      {0x03000028, 1, -263, ""},
      {0x03000028, loomhost::kModeSilentUpdate, 0, ""},
      {0x03010000, loomhost::kModeJtag, 0, "Updating the Kestrel firmware ... complete.\n"},
      {0x03010000, loomhost::kModeJtag, -592, "Updating the Kestrel firmware ... failed.\n", true},
      {0x03000029, loomhost::kModeNoUpdate, 0, ""},
      {0x0300FFFF, loomhost::kModeNoUpdate, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.version << " mode " << std::dec << c.mode);
    ksim::reset();
    ksim::ProbeConfig config;
    config.firmwareVersion = c.version;
    if (c.downloadFails) config.dfu.faults.errorAtBlock = 0;
    attach(config);
    auto s = session(c.mode);
    testing::internal::CaptureStdout();
    EXPECT_EQ(s->start(), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.console);
    EXPECT_EQ(ksim::resources().handles, c.result == 0 ? 1 : 0);
    if (c.result != 0) discardRefusedHandle(*s);
  }
}

// Every open's commands up to the target interface, and the close's, by mode and probe.
TEST_F(OpenConnect, OpenAndCloseCommandsByModeProbeAndConfiguration) {
  struct Case {
    const char* name;
    uint32_t mode;
    uint16_t hardwareId;
    std::vector<std::pair<std::string, std::string>> keys;
    bool trstLow;
    int32_t result;
    uint32_t format;  // of the cJTAG connect
    std::vector<uint8_t> openCodes;
    std::vector<uint8_t> closeCodes;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"power measurement", 21, 0x0002, {{"LOOM.JTAG_ISOLATE", "enable"}}, false, 0, 0,
       {kConnectPowerMeasurement, kVersion, kSetTclkDelay}, {kDisconnect}},
      {"power measurement only, wrong probe", 23, 0x0002, {}, false, -120, 0,
       {kConnectPowerMeasurement, kVersion, kDisconnect}, {}},
      {"supply voltage out of range", 16, 0x21,
       {{"HARP.POD_VOLTAGE_SELECTION", "true"}, {"HARP.POD_VOLTAGE", "5.0"}}, false, -268, 0,
       {kConnect, kVersion, kDisconnect}, {}},
      {"the serial names another probe", 16, 0x0002, {{"HARP.POD_SERIAL", "KST99999"}}, false, -260, 0, {}, {}},
      {"TRST low is released, not pulsed", 16, 0x0002, {}, true, 0, 1,
       {kConnect, kVersion, kSetTclkDelay, kGetTrst, kSetTrst, kCycleTclk, kCjtagConnect},
       {kSwdDisableSwo, kDisconnect}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    ksim::ProbeConfig config;
    config.hardwareId = c.hardwareId;
    attach(config);
    if (c.trstLow) ksim::scriptReply(device_, {kGetTrst, 0, {0}, 1});
    auto s = session(c.mode);
    for (const auto& [key, value] : c.keys) s->host().set(key, value);
    EXPECT_EQ(s->start(), c.result);
    EXPECT_EQ(codes(newPackets()), c.openCodes);
    if (c.result != 0) {
      discardRefusedHandle(*s);
      continue;
    }
    EXPECT_EQ(ksim::probeStatus(device_).cjtagFormat, c.format);
    EXPECT_EQ(s->close(), 0);
    EXPECT_EQ(codes(newPackets()), c.closeCodes);
  }
}

// Open and close of one controller record through two handles.
TEST_F(OpenConnect, TheSecondOpenerAndTheFirstCloserSendNothingAndOpenedHandlesStay) {
  attach();
  auto a = session();
  auto b = session();
  ASSERT_EQ(a->start(), 0);
  EXPECT_TRUE(a->firstOpener());
  const kst::jsc::SharedController* shared = kst::jsc::controllerOf(a->handle());
  const std::size_t afterFirst = packets().size();
  ASSERT_EQ(b->start(), 0);
  EXPECT_FALSE(b->firstOpener());
  EXPECT_EQ(shared->chain.openCount, 2u);
  EXPECT_EQ(packets().size(), afterFirst);
  JscHandle* opened = b->handle();
  EXPECT_EQ(JSC_DeleteHandle(&opened), -116) << "an opened handle is refused at delete";
  EXPECT_EQ(opened, b->handle()) << "and stays";

  uint8_t last = 9;
  const auto close = a->operation<JSC_CloseControllerFn>(JSC_SLOT_CLOSE_CONTROLLER);
  EXPECT_EQ(close(a->handle(), &last), 0);
  EXPECT_EQ(last, 0);
  EXPECT_EQ(packets().size(), afterFirst);
  EXPECT_EQ(close(a->handle(), &last), -116) << "closed already";
  EXPECT_EQ(close(b->handle(), &last), 0);
  EXPECT_EQ(last, 1);
  EXPECT_EQ(ksim::resources().handles, 0) << "the last closer closed the probe";
  EXPECT_EQ(shared->chain.probe, nullptr);
}

TEST_F(OpenConnect, TheConnectRecordsItsEventsAndRefusesUnequalTrstBytes) {
  attach();
  s_ = session(loomhost::kModeJtag, 0, JSC_CREATE_EVENT_LOG);
  ASSERT_EQ(s_->start(), 0);
  newPackets();
  const auto connect = op<JSC_ConnectControllerFn>(JSC_SLOT_CONNECT_CONTROLLER);
  const ConnectOptions unequal{{0, 0}, 0, {1, 0}, 0};
  EXPECT_EQ(connect(s_->handle(), &unequal), -122);
  EXPECT_TRUE(newPackets().empty());

  const ConnectOptions recorded{{1, 0}, 0, {1, 1}, 1};
  ASSERT_EQ(connect(s_->handle(), &recorded), 0);
  const std::vector<Bytes> sent = newPackets();
  const std::vector<Sent> pulsed = {{kGetTrst, 0},        {kSetTrst, 0},
                                    {kCycleTclk, 11000},  {kSetTrst, 1},
                                    {kCycleTclk, 220000}, {kGotoJtagState, KST_STATE_TEST_LOGIC_RESET}};
  EXPECT_EQ(summary(sent), pulsed);
  EXPECT_EQ(argU32(sent[5], 4), 1u) << "its path mode";

  EXPECT_EQ(readEventLog(20),
            (std::vector<uint32_t>{13, 42, 58, 45, 9, 28, 31, 22, 25, 0xFFFFFFFF, 0, 40, 0}));

  // A log too small for the record: the connect still moves the chain, and the first append
  // that did not fit is its result.
  uint8_t done = 0;
  uint32_t granted = 0;
  ASSERT_EQ(
      op<JSC_CreateEventLogFn>(JSC_SLOT_CREATE_EVENT_LOG)(s_->handle(), 1, &done, 2, &granted), 0);
  EXPECT_EQ(connect(s_->handle(), &recorded), -519);
  const std::vector<Bytes> moved = newPackets();
  ASSERT_FALSE(moved.empty());
  EXPECT_EQ(codeOf(moved.back()), kGotoJtagState);
}

TEST_F(OpenConnect, ResetLinesWaitInTestClockCycles) {
  attach();
  auto s = opened();
  const auto lines = s->operation<JSC_ControlTargetLinesFn>(JSC_SLOT_CONTROL_TARGET_LINES);
  // A pulse at 5.5 MHz; when the reset line cannot be driven the target still gets its wait.
  constexpr int32_t kProbeRefuses = 0x21;
  for (const bool refused : {false, true}) {
    if (refused) ksim::scriptReply(device_, {kSetSrst, kProbeRefuses, {}, 1});
    uint8_t done = 9;
    EXPECT_EQ(lines(s->handle(), 2, 0, &done, 0x13, 1), refused ? kProbeRefuses : 0);
    EXPECT_EQ(done, refused ? 0 : 1);
    const std::vector<Sent> pulsed = {{kCycleTclk, 275000},
                                      {kSetSrst, 0},
                                      {kCycleTclk, 275000},
                                      {kSetSrst, 1},
                                      {kCycleTclk, 550000}};
    const std::vector<Sent> unpulsed = {{kCycleTclk, 275000}, {kSetSrst, 0}, {kCycleTclk, 550000}};
    EXPECT_EQ(summary(newPackets()), refused ? unpulsed : pulsed);
  }
  uint8_t done = 0;
  const auto setTrst = s->operation<JSC_SetTrstFn>(JSC_SLOT_SET_TRST);
  EXPECT_EQ(setTrst(s->handle(), 2, 0), -122) << "only line 1";
  ASSERT_EQ(setTrst(s->handle(), 1, 0), 0);
  EXPECT_EQ(summary(newPackets()), (std::vector<Sent>{{kSetTrst, 0}, {kCycleTclk, 11000}}));
  // The other actions and lines, without waits: kind, query only, flags, then the commands.
  struct Row {
    uint32_t kind;
    uint8_t queryOnly, flags;
    int32_t result;
    uint8_t done;
    std::vector<Sent> sent;
  };
  const Row rows[] = {
      {2, 0, 0x11, 0, 1, {{kSetSrst, 0}}},
      {2, 0, 0x12, 0, 1, {{kSetSrst, 1}}},
      {2, 0, 0x10, 0, 1, {}},
      {2, 0, 0x03, 0, 1, {}},
      {2, 1, 0x13, 0, 1, {}},
      {3, 1, 0x01, 0, 1, {}},
      {3, 0, 0x01, 0, 1, {{kPowerIsolate, 1}}},
      {4, 0, 0, -122, 0, {}},
      {1, 0, 0x13, 0, 0, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << row.kind << " " << int{row.queryOnly} << " " << int{row.flags});
    done = 9;
    EXPECT_EQ(lines(s->handle(), row.kind, row.queryOnly, &done, row.flags, 0), row.result);
    EXPECT_EQ(done, row.done);
    EXPECT_EQ(summary(newPackets()), row.sent);
  }
  EXPECT_EQ(lines(s->handle(), 2, 0, nullptr, 0x13, 0), -122);
}

}  // namespace
}  // namespace jsctest
