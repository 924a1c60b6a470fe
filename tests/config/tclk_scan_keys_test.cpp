// The test-clock and general scan key groups.
#include "group_fixture.h"

namespace cfgtest {
namespace {

using kst::config::ScanRecord;
using kst::config::TclkRecord;

// clang-format off
TEST(TclkKeys, ValuesCodesAndTheBeginningRule) {
  using R = TclkRecord;
  using C = GroupCase<R>;
  runCases<R>(kst::config::readTclkGroup, {
      C{"absent keys", {}, 0, [](const R& r) {
          EXPECT_EQ(r.program, 5u);
          EXPECT_EQ(r.overflow, 0u) << "absent differs from the record default 1";
          EXPECT_EQ(r.frequency, code(3, 19));
          EXPECT_EQ(r.initial, 1);
          EXPECT_EQ(r.scanBits, 2048u);
          EXPECT_EQ(r.scanBitsGiven, 0);
          for (const uint8_t found : r.found) EXPECT_EQ(found, 0);
        }},
      C{"12.5", {{"LOOM.TCLK_FREQUENCY", "12.5"}}, 0, [](const R& r) {
          EXPECT_EQ(r.frequency, code(3, 36));
          EXPECT_EQ(r.found[kst::config::kTclkFrequency], 1); }},
      C{"max", {{"LOOM.TCLK_FREQUENCY", "max"}}, 0, expect(&R::frequency, code(6, 0))},
      C{"m is minimum", {{"LOOM.TCLK_FREQUENCY", "m"}}, 0, expect(&R::frequency, code(-1, 0))},
      C{"65", {{"LOOM.TCLK_FREQUENCY", "65"}}, -302, nullptr},
      C{"bad beginning", {{"LOOM.TCLK_BEGINNING", "fast"}}, -301, nullptr},
      C{"program a", {{"LOOM.TCLK_PROGRAM", "a"}}, 0, expect(&R::program, 5u)},
      C{"program e", {{"LOOM.TCLK_PROGRAM", "e"}}, 0, expect(&R::program, 1u)},
      C{"program x", {{"LOOM.TCLK_PROGRAM", "x"}}, -300, nullptr},
      C{"advance 0", {{"LOOM.TCLK_ADVANCE", "0"}}, -303, nullptr},
      C{"advance 64", {{"LOOM.TCLK_ADVANCE", "64"}}, -303, nullptr},
      C{"advance garbage", {{"LOOM.TCLK_ADVANCE", "12a"}}, -303, nullptr},
      C{"advance 63", {{"LOOM.TCLK_ADVANCE", "63"}}, 0, expect(&R::advance, 63u)},
      C{"retreat 0", {{"LOOM.TCLK_RETREAT", "0"}}, -304, nullptr},
      C{"test mode s", {{"LOOM.TCLK_TESTMODE", "s"}}, 0, expect(&R::testMode, 3u)},
      C{"test mode bad", {{"LOOM.TCLK_TESTMODE", "stop"}}, -308, nullptr},
      C{"overflow bad", {{"LOOM.TCLK_OVERFLOW", "quiet"}}, -309, nullptr},
      C{"reference 10", {{"LOOM.TCLK_REFERENCE", "10"}}, 0, expect(&R::referenceFrequency, code(3, 16))},
      C{"reference bad", {{"LOOM.TCLK_REFERENCE", "ten"}}, -305, nullptr},
      C{"initial default", {{"LOOM.TCLK_INITIAL", "default"}}, 0, expect(&R::initial, 1)},
      C{"initial false", {{"LOOM.TCLK_INITIAL", "false"}}, 0, expect(&R::initial, 0)},
      C{"initial garbage", {{"LOOM.TCLK_INITIAL", "sometimes"}}, -306, nullptr},
      C{"terminal garbage", {{"LOOM.TCLK_TERMINAL", "2"}}, -307, nullptr},
      C{"scan bits 1000", {{"LOOM.TCLK_SCAN_BITS", "1000"}}, 0, [](const R& r) {
          EXPECT_EQ(r.scanBits, 992u); EXPECT_EQ(r.scanBitsGiven, 1); }},
      C{"scan bits 255", {{"LOOM.TCLK_SCAN_BITS", "255"}}, -272, nullptr},
      C{"scan bits garbage", {{"LOOM.TCLK_SCAN_BITS", "lots"}}, -448, nullptr},
      C{"scan bits longest", {{"LOOM.TCLK_SCAN_BITS", "longest"}}, 0, expect(&R::scanBits, 524288u)},
      C{"scan bits none", {{"LOOM.TCLK_SCAN_BITS", "none"}}, 0, [](const R& r) {
          EXPECT_EQ(r.scanBits, 0u); EXPECT_EQ(r.scanBitsGiven, 1); }},
      C{"IR size too long", {{"LOOM.TCLK_PATH_IRSIZE", "524289"}}, -273, nullptr},
      C{"DR size too long", {{"LOOM.TCLK_PATH_DRSIZE", "524289"}}, -274, nullptr},
      C{"DR size measure", {{"LOOM.TCLK_PATH_DRSIZE", "measure"}}, 0, [](const R& r) {
          EXPECT_EQ(r.drSize, 0u); EXPECT_EQ(r.drSizeFixed, 0); EXPECT_EQ(r.drSizeFound, 1); }},
      C{"IR size 0 is fixed", {{"LOOM.TCLK_PATH_IRSIZE", "0"}}, 0, expect(&R::irSizeFixed, 1)},
      C{"specific program starts at the frequency",
        {{"LOOM.TCLK_PROGRAM", "specific"}, {"LOOM.TCLK_FREQUENCY", "0.25"}}, 0,
        expect(&R::beginningFrequency, code(-2, 0))},
      C{"a given beginning stays",
        {{"LOOM.TCLK_PROGRAM", "specific"}, {"LOOM.TCLK_FREQUENCY", "0.25"}, {"LOOM.TCLK_BEGINNING", "0.5"}}, 0,
        expect(&R::beginningFrequency, code(-1, 0))},
  });
}

TEST(ScanKeys, ClocksEdgesLinkDelayAndPins) {
  using R = ScanRecord;
  using C = GroupCase<R>;
  runCases<R>(kst::config::readScanGroup, {
      C{"absent keys", {}, 0, [](const R& r) {
          EXPECT_EQ(r.slowFrequency, 20000u); EXPECT_EQ(r.bootPinMap, 1u); EXPECT_EQ(r.tdoEdge, 0); }},
      C{"slow frequency wins", {{"LOOM.SLOWFRQ", "100"}, {"LOOM.FASTCLK", "true"}}, 0, [](const R& r) {
          EXPECT_EQ(r.slowFrequency, 250u);
          EXPECT_EQ(r.slowClock, 1);
          EXPECT_EQ(r.slowClockFound, 1);
          EXPECT_EQ(r.fastClock, 0);
          EXPECT_EQ(r.fastClockFound, 0); }},
      C{"slow frequency above the lowest", {{"LOOM.SLOWFRQ", "1000"}}, 0, expect(&R::slowFrequency, 1000u)},
      C{"slow clock off keeps fast", {{"LOOM.SLOWCLK", "0"}, {"LOOM.FASTCLK", "1"}}, 0, expect(&R::fastClock, 1)},
      C{"slow clock clears fast", {{"LOOM.SLOWCLK", "1"}, {"LOOM.FASTCLK", "1"}}, 0, [](const R& r) {
          EXPECT_EQ(r.fastClock, 0); EXPECT_EQ(r.slowFrequency, 20000u); }},
      C{"host refuses a boolean", {{"LOOM.NOAMBLE", "maybe"}}, loomhost::kConversionFailed, nullptr},
      C{"TDO edge default is fall", {{"LOOM.TDOEDGE", "default"}}, 0, expect(&R::tdoEdge, 1)},
      C{"TDI edge bad", {{"LOOM.TDIEDGE", "sideways"}}, -448, nullptr},
      C{"link delay signed", {{"LOOM.LINKDELAY_MODE", "enable"}, {"LOOM.LINKDELAY_VALUE", "-3"}}, 0, [](const R& r) {
          EXPECT_EQ(r.linkDelay.signedValue, -3);
          EXPECT_EQ(r.linkDelay.signedGiven, 1);
          EXPECT_EQ(r.linkDelay.unsignedGiven, 0); }},
      C{"link delay enabled without value", {{"LOOM.LINKDELAY_MODE", "enable"}}, 0, [](const R& r) {
          EXPECT_EQ(r.linkDelay.unsignedGiven + r.linkDelay.signedGiven, 0); }},
      C{"link delay mode on", {{"LOOM.LINKDELAY_MODE", "on"}}, -448, nullptr},
      C{"old key ignored under a mode", {{"LOOM.LINKDELAY_MODE", "disable"}, {"LOOM.LINKDLY", "5"}}, 0,
        [](const R& r) { EXPECT_EQ(r.linkDelay.unsignedGiven, 0); }},
      C{"old key automatic", {{"LOOM.LINKDLY", "automatic"}}, 0, [](const R& r) {
          EXPECT_EQ(r.linkDelay.automatic, 1); EXPECT_EQ(r.linkDelay.automaticCopy, 1); }},
      C{"old key unsigned", {{"LOOM.LINKDLY", "7"}}, 0, [](const R& r) {
          EXPECT_EQ(r.linkDelay.unsignedValue, 7u); EXPECT_EQ(r.linkDelay.unsignedGiven, 1); }},
      C{"link delay garbage", {{"LOOM.LINKDLY", "+x"}}, -448, nullptr},
      C{"end delay default", {{"LOOM.END_DELAY_ONCE", "default"}}, 0, expect(&R::endDelayOnceFound, 1)},
      C{"end delay garbage", {{"LOOM.END_DELAY_MANY", "later"}}, -448, nullptr},
      C{"JTAG boot 01", {{"LOOM.JTAGBOOT_MODE", "enable"}, {"LOOM.JTAGBOOT_VALUE", "01"}}, 0, [](const R& r) {
          EXPECT_EQ(r.jtagBoot.mode, 1u); EXPECT_EQ(r.jtagBoot.value, 2u); EXPECT_EQ(r.jtagBoot.modeFound, 1); }},
      C{"JTAG boot hiz", {{"LOOM.JTAGBOOT_MODE", "enable"}, {"LOOM.JTAGBOOT_VALUE", "hiz"}}, 0, [](const R& r) {
          EXPECT_EQ(r.jtagBoot.mode, 0u); EXPECT_EQ(r.jtagBoot.value, 0u); }},
      C{"JTAG boot value 2", {{"LOOM.JTAGBOOT_MODE", "enable"}, {"LOOM.JTAGBOOT_VALUE", "2"}}, -221, nullptr},
      C{"power boot 1 is 10", {{"LOOM.POWERBOOT_MODE", "enable"}, {"LOOM.POWERBOOT_VALUE", "1"}}, 0,
        [](const R& r) { EXPECT_EQ(r.powerBoot.value, 3u); }},
      C{"output mode bad", {{"LOOM.EMUOUTPUT_MODE", "maybe"}}, -224, nullptr},
      C{"loopback clock", {{"LOOM.LOOPBACK_MODE", "enable"}, {"LOOM.LOOPBACK_VALUE", "clock"}}, 0,
        [](const R& r) { EXPECT_EQ(r.loopback.value, 2u); }},
      C{"loopback value bad", {{"LOOM.LOOPBACK_VALUE", "all"}}, -227, nullptr},
      C{"boot pin map EXTF", {{"LOOM.BOOT_PINMAP", "EXTF"}}, 0, expect(&R::bootPinMap, 2u)},
      C{"boot pin map bad", {{"LOOM.BOOT_PINMAP", "TRD03"}}, -228, nullptr},
      C{"isolate bad", {{"LOOM.JTAG_ISOLATE", "yes"}}, -448, nullptr},
      C{"reset on connect", {{"LOOM.RESET_ON_CONNECT", "0x2"}}, 0, expect(&R::resetOnConnect, 2u)},
  });
}
// clang-format on

}  // namespace
}  // namespace cfgtest
