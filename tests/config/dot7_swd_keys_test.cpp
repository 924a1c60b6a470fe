// The IEEE 1149.7 and SWD key groups.
#include "group_fixture.h"

namespace cfgtest {
namespace {

using kst::config::Dot7Record;
using kst::config::SwdRecord;

// clang-format off
TEST(Dot7Keys, ValuesLinkDelaysAndValidation) {
  using R = Dot7Record;
  using C = GroupCase<R>;
  runCases<R>(kst::config::readDot7Group, {
      C{"absent keys", {}, 0, [](const R& r) {
          EXPECT_EQ(r.dtsUsage, 1u);
          EXPECT_EQ(r.dtsFrequency, code(4, 36));
          EXPECT_EQ(r.dtsEdgeOut, 1);
          EXPECT_EQ(r.tsFlush, 2048u);
          EXPECT_EQ(r.dtsLinkDelay.predict, 0) << "automatic type: no prediction"; }},
      C{"frequency maximum", {{"DOT7.DTS_FREQUENCY", "maximum"}}, 0, expect(&R::dtsFrequency, code(6, 0))},
      C{"frequency max is not a whole keyword", {{"DOT7.DTS_FREQUENCY", "max"}}, -448, nullptr},
      C{"type kestrel", {{"DOT7.DTS_TYPE", "kestrel"}}, 0, expect(&R::dtsType, 8u)},
      C{"type s", {{"DOT7.DTS_TYPE", "s"}}, 0, expect(&R::dtsType, 3u)},
      C{"squall predicts", {{"DOT7.DTS_TYPE", "squall"}}, 0, [](const R& r) {
          EXPECT_EQ(r.dtsLinkDelay.predict, 1); EXPECT_EQ(r.tsLinkDelay.predict, 1); }},
      C{"sustain", {{"DOT7.DTS_TYPE", "squall"}, {"DOT7.DTS_LINKDLY", "sustain"}}, 0,
        [](const R& r) { EXPECT_EQ(r.dtsLinkDelay.predict, 0); }},
      C{"signed delay", {{"DOT7.TS_LINKDLY", "+5"}}, 0, [](const R& r) {
          EXPECT_EQ(r.tsLinkDelay.signedValue, 5); EXPECT_EQ(r.tsLinkDelay.signedGiven, 1); }},
      C{"unsigned delay", {{"DOT7.TS_LINKDLY", "5"}}, 0, [](const R& r) {
          EXPECT_EQ(r.tsLinkDelay.unsignedValue, 5u); EXPECT_EQ(r.tsLinkDelay.unsignedGiven, 1); }},
      C{"predict", {{"DOT7.TS_LINKDLY", "predict"}}, 0, [](const R& r) { EXPECT_EQ(r.tsLinkDelay.predict, 1); }},
      C{"delay garbage", {{"DOT7.DTS_LINKDLY", "soon"}}, -448, nullptr},
      C{"controller id 15", {{"DOT7.TS_CID", "15"}}, 0, expect(&R::tsControllerId, 15)},
      C{"controller id 16", {{"DOT7.TS_CID", "16"}}, -448, nullptr},
      C{"ready default", {{"DOT7.TS_READY", "default"}}, 0, [](const R& r) {
          EXPECT_EQ(r.tsReady, 0); EXPECT_EQ(r.tsReadyFound, 1); }},
      C{"delay 4", {{"DOT7.TS_DELAY", "4"}}, -448, nullptr},
      C{"format jscan1", {{"DOT7.TS_FORMAT", "jscan1"}}, -448, nullptr},
      C{"format jscan0", {{"DOT7.TS_FORMAT", "jscan0"}}, 0, expect(&R::tsFormat, 1u)},
      C{"format sscan0", {{"DOT7.TS_FORMAT", "sscan0"}}, -448, nullptr},
      C{"format oscan3", {{"DOT7.TS_FORMAT", "oscan3"}}, 0, expect(&R::tsFormat, 9u)},
      C{"two pins need a compact format", {{"DOT7.TS_PIN_WIDTH", "only_two"}}, -448, nullptr},
      C{"two pins with mscan", {{"DOT7.TS_PIN_WIDTH", "only_two"}, {"DOT7.TS_FORMAT", "mscan"}}, 0,
        expect(&R::tsPinWidth, 2u)},
      C{"clock width 1", {{"DOT7.TS_CLK_WIDTH", "1"}}, 0, expect(&R::tsClockWidth, 2u)},
      C{"flush default", {{"DOT7.DTS_FLUSH", "default"}, {"DOT7.TS_FLUSH", "default"}}, 0, [](const R& r) {
          EXPECT_EQ(r.dtsFlush, 64u); EXPECT_EQ(r.tsFlush, 2048u); }},
      C{"flush garbage", {{"DOT7.TS_FLUSH", "-1"}}, -448, nullptr},
      C{"usage enable", {{"DOT7.DTS_USAGE", "enable"}}, 0, expect(&R::dtsUsage, 3u)},
      C{"edge out rise", {{"DOT7.DTS_EDGE_OUT", "rise"}}, 0, expect(&R::dtsEdgeOut, 0)},
  });
}

TEST(SwdKeys, ModeDebugAndSource) {
  using R = SwdRecord;
  using C = GroupCase<R>;
  runCases<R>(kst::config::readSwdGroup, {
      C{"absent keys", {}, 0, [](const R& r) {
          EXPECT_EQ(r.swdDebug, 1u); EXPECT_EQ(r.swoSource, 1u); EXPECT_EQ(r.swdDebugFound, 0); }},
      C{"swd+swo", {{"SWD.MODE", "swd+swo"}}, 0, [](const R& r) {
          EXPECT_EQ(r.swdDebug, 2u); EXPECT_EQ(r.swoSource, 2u); }},
      C{"source overrides the mode", {{"SWD.MODE", "swd+swo"}, {"SWD.SWO_DATA", "aux_uart"}}, 0,
        expect(&R::swoSource, 1u)},
      C{"swd is swd_only", {{"SWD.MODE", "swd"}}, 0, [](const R& r) {
          EXPECT_EQ(r.swdDebug, 2u); EXPECT_EQ(r.swoSource, 1u); }},
      C{"s is swd_only", {{"SWD.MODE", "s"}}, 0, expect(&R::swdDebug, 2u)},
      C{"debug enabled alone", {{"SWD.SWD_DEBUG", "enabled"}}, 0, [](const R& r) {
          EXPECT_EQ(r.swdDebug, 2u); EXPECT_EQ(r.swoSource, 1u); EXPECT_EQ(r.swdDebugFound, 1); }},
      C{"uart", {{"SWD.SWO_DATA", "uart"}}, -448, nullptr},
      C{"mode bad", {{"SWD.MODE", "jtag"}}, -448, nullptr},
      C{"numbers", {{"SWD.SWJ_DP_DEFAULT_MODE", "3"}, {"SWD.APPY_PIN_RESET_DORMANT_WAKEUP", "1"}}, 0,
        [](const R& r) { EXPECT_EQ(r.swjDpDefaultMode, 3u); EXPECT_EQ(r.pinResetDormantWakeup, 1u); }},
      C{"number garbage", {{"SWD.SWJ_DP_DEFAULT_MODE", "three"}}, loomhost::kConversionFailed, nullptr},
  });
}
// clang-format on

}  // namespace
}  // namespace cfgtest
