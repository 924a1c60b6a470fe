// The pod and remote-log key groups and the connection selection.
#include <cstring>

#include "group_fixture.h"

namespace cfgtest {
namespace {

using kst::config::PodRecord;
using kst::config::RemoteLogRecord;

// The pod group followed by the connection selection, as the reader runs them.
int32_t readPodAndSelect(const kst::jsc::HostServices& host, PodRecord* record) {
  const int32_t result = kst::config::readPodGroup(host, record);
  return result != 0 ? result : kst::config::selectConnection(*record);
}

// clang-format off
TEST(PodKeys, DriversPortsPowerAndConnection) {
  using R = PodRecord;
  using C = GroupCase<R>;
  runCases<R>(readPodAndSelect, {
      C{"no driver", {{"LOOM.ECOM_PORT", "5"}}, 0, [](const R& r) {
          EXPECT_EQ(r.connectionKind, 0u);
          EXPECT_EQ(r.selectedDriverName, nullptr);
          EXPECT_EQ(r.selectedPort, nullptr);
          EXPECT_EQ(r.ecomPortGiven, 0) << "read only with a driver"; }},
      C{"windows path", {{"HARP.POD_DRVR", "C:\\drivers\\kestrel.dll"}}, 0, [](const R& r) {
          EXPECT_STREQ(r.podDriverName, "kestrel.dll");
          EXPECT_EQ(r.connectionKind, 1u);
          EXPECT_EQ(r.selectedDriverName, r.podDriverName);
          EXPECT_EQ(r.selectedPort, &r.podPort); }},
      C{"dotted port", {{"HARP.POD_DRVR", "k"}, {"HARP.POD_PORT", "10.0.0.2"}}, 0, expect(&R::podPort, 0x0A000002u)},
      C{"number port", {{"HARP.POD_DRVR", "k"}, {"HARP.POD_PORT", "42"}}, 0, expect(&R::podPort, 42u)},
      C{"bad port", {{"HARP.POD_DRVR", "k"}, {"HARP.POD_PORT", "forty"}}, loomhost::kConversionFailed, nullptr},
      // The hash takes every byte sign-extended: 0xFF mixes in as 0xFFFFFFFF.
      C{"serial hash replaces the port", {{"HARP.POD_DRVR", "k"}, {"HARP.POD_PORT", "42"}, {"HARP.POD_SERIAL", "abc\xff"}}, 0,
        [](const R& r) { EXPECT_EQ(r.podPort, 0x83927CDAu); EXPECT_STREQ(r.podSerial, "abc\xff"); }},
      C{"supply on", {{"HARP.POD_SUPPLY", "on"}}, -446, nullptr},
      C{"supply high", {{"HARP.POD_SUPPLY", "high"}}, 0, [](const R& r) {
          EXPECT_EQ(r.supply, 1); EXPECT_EQ(r.supplyGiven, 1); }},
      C{"supply empty", {{"HARP.POD_SUPPLY", ""}}, -445, nullptr},
      C{"driver too long", {{"HARP.POD_DRVR", std::string(257, 'k')}}, -445, nullptr},
      C{"driver of 256", {{"HARP.POD_DRVR", std::string(256, 'k')}}, 0,
        [](const R& r) { EXPECT_EQ(std::strlen(r.podDriverName), 256u); }},
      C{"voltage selection", {{"HARP.POD_VOLTAGE_SELECTION", "maybe"}}, -446, nullptr},
      C{"voltage 3.3", {{"HARP.POD_VOLTAGE", "3.3"}}, 0, expect(&R::voltageMillivolts, 3300u)},
      C{"voltage 1.8V", {{"HARP.POD_VOLTAGE", "1.8V"}}, 0, expect(&R::voltageMillivolts, 1800u)},
      // Texts that are no voltage saturate outside the supply window, never wrap into it.
      C{"voltage negative", {{"HARP.POD_VOLTAGE", "-3.3"}}, 0, expect(&R::voltageMillivolts, 0u)},
      C{"voltage nan", {{"HARP.POD_VOLTAGE", "nan"}}, 0, expect(&R::voltageMillivolts, 0u)},
      C{"voltage just past u32", {{"HARP.POD_VOLTAGE", "4294969.1"}}, 0, expect(&R::voltageMillivolts, 4294967295u)},
      C{"voltage huge", {{"HARP.POD_VOLTAGE", "1e300"}}, 0, expect(&R::voltageMillivolts, 4294967295u)},
      C{"ECOM wins", {{"HARP.POD_DRVR", "k"}, {"LOOM.ECOM_DRVR", "/opt/ecom.so"}, {"LOOM.ECOM_PORT", "7"}}, 0,
        [](const R& r) {
          EXPECT_EQ(r.connectionKind, 2u);
          EXPECT_STREQ(r.selectedDriverName, "ecom.so");
          EXPECT_EQ(*r.selectedPort, 7u); }},
      C{"squall serial", {{"LOOM.ECOM_DRVR", "squallu.out"}, {"LOOM.ECOM_SERIAL", "QRVM-XXXX0000ABCD"}}, 0,
        expect(&R::ecomPort, 0xABCDu)},
      C{"squall short serial", {{"LOOM.ECOM_DRVR", "squallu.out"}, {"LOOM.ECOM_SERIAL", "QRVM-1"}}, -292, nullptr},
      C{"squall legacy port", {{"LOOM.ECOM_DRVR", "squallu.out"}, {"LOOM.ECOM_PORT_LEGACY", "4095"}}, 0,
        [](const R& r) { EXPECT_EQ(r.selectedPort, &r.ecomLegacyPort); }},
      C{"squall port too high", {{"LOOM.ECOM_DRVR", "squallu.out"}, {"LOOM.ECOM_PORT", "4096"}}, -293, nullptr},
  });
}

TEST(PodKeys, AKestrelDriverAsksWhetherTheFirstDeviceIsACoreSightPort) {
  using R = PodRecord;
  using C = GroupCase<R>;
  runCases<R>(kst::config::readPodGroup,
              {C{"kestrel driver", {{"HARP.POD_DRVR", "libkestrel.so"}}, 0, expect(&R::firstDeviceIsCoreSight, 1)},
               C{"other driver", {{"HARP.POD_DRVR", "other.so"}}, 0, expect(&R::firstDeviceIsCoreSight, 0)}},
              [](loomhost::Host& host) { host.addDevice(4, "CS_DAP_PC"); });
  runCases<R>(kst::config::readPodGroup,
              {C{"no device", {{"HARP.POD_DRVR", "kestrel"}}, 0, expect(&R::firstDeviceIsCoreSight, 0)}});
}

TEST(RemoteLogKeys, HostTextsAndTheLogModeGate) {
  using R = RemoteLogRecord;
  using C = GroupCase<R>;
  runCases<R>(kst::config::readRemoteLogGroup, {
      C{"host and port", {{"HARP.RMT_HOST", "logs.local"}, {"HARP.RMT_PORT", "9000"}}, 0, [](const R& r) {
          EXPECT_STREQ(r.remoteHost.text, "logs.local");
          EXPECT_EQ(r.remoteHost.length, 10u);
          EXPECT_EQ(r.remotePort, 9000u); }},
      C{"log mode on", {{"HARP.POD_LOGMODE", "true"}, {"HARP.POD_LOGTYPE", "verbose"}}, 0, [](const R& r) {
          EXPECT_EQ(r.logType, 1);
          EXPECT_STREQ(r.logFile.text, "harp_log_file.txt");
          EXPECT_EQ(r.logFile.length, 17u); }},
      C{"log type other", {{"HARP.POD_LOGMODE", "1"}, {"HARP.POD_LOGTYPE", "chatty"}}, 0, expect(&R::logType, 0)},
      C{"bad boolean", {{"HARP.POD_NOGALECABLE", "perhaps"}}, loomhost::kConversionFailed, nullptr},
  });
  // clang-format on
  // Without the log mode, the log type and file are not even asked for.
  loomhost::Host host;
  host.set("HARP.POD_LOGTYPE", "verbose");
  host.set("HARP.POD_LOGFILE", "x.txt");
  RemoteLogRecord record;
  kst::config::writeDefaults(record);
  ASSERT_EQ(kst::config::readRemoteLogGroup({host.context(), host.services()}, &record), 0);
  for (const std::string& key : host.keysAsked())
    EXPECT_EQ(key.find("HARP.POD_LOGT"), std::string::npos);
  EXPECT_EQ(record.logFile.text, nullptr);
}

}  // namespace
}  // namespace cfgtest
