// The reader across all six groups: order, defaults, failures and the host's own codes.
#include "config/configuration_reader.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "group_fixture.h"

namespace cfgtest {
namespace {

using kst::config::ConfigurationRecords;

struct Reading {
  std::unique_ptr<ConfigurationRecords> records = std::make_unique<ConfigurationRecords>();
  int32_t result = 0;
};

Reading read(loomhost::Host& host) {
  Reading reading;
  kst::config::writeDefaults(*reading.records);
  reading.result =
      kst::config::readConfiguration({host.context(), host.services()}, *reading.records);
  return reading;
}

bool holdsDefaults(const kst::config::Dot7Record& record) {
  kst::config::Dot7Record defaults;
  kst::config::writeDefaults(defaults);
  return std::memcmp(&record, &defaults, sizeof record) == 0;
}

// Without a group every record keeps its defaults; a null group or null arguments are refused.
TEST(ConfigurationReader, WithoutAGroupEveryRecordKeepsItsDefaultsAndNullsAreRefused) {
  loomhost::Host host;
  host.setGroupPresent(false);
  host.set("LOOM.TCLK_FREQUENCY", "20");
  const Reading reading = read(host);
  ASSERT_EQ(reading.result, 0);
  EXPECT_EQ(reading.records->tclk.present, 0);
  EXPECT_EQ(reading.records->tclk.overflow, 1u);
  EXPECT_EQ(reading.records->tclk.frequency, code(3, 19));
  EXPECT_EQ(reading.records->swd.swdDebugFound, 1);
  EXPECT_TRUE(holdsDefaults(reading.records->dot7));
  EXPECT_TRUE(host.keysAsked().empty());
  host.setGroupPresent(true);
  host.setGroupIsNull(true);
  EXPECT_EQ(read(host).result, -122);
  kst::config::TclkRecord record;
  EXPECT_EQ(kst::config::readTclkGroup({nullptr, host.services()}, &record), -122);
  EXPECT_EQ(kst::config::readTclkGroup({host.context(), nullptr}, &record), -122);
  EXPECT_EQ(kst::config::readTclkGroup({host.context(), host.services()}, nullptr), -122);
}

TEST(ConfigurationReader, AFailingGroupStopsTheReadingAndLaterGroupsKeepTheirDefaults) {
  loomhost::Host host;
  host.set("HARP.POD_DRVR", "kestrel.dll");
  host.set("LOOM.TCLK_FREQUENCY", "20");
  host.set("HARP.RMT_HOST", "logs");
  host.set("DOT7.TS_FORMAT", "jscan1");
  host.set("SWD.MODE", "swd");
  const Reading reading = read(host);
  EXPECT_EQ(reading.result, -448);
  const ConfigurationRecords& r = *reading.records;
  EXPECT_EQ(r.pod.connectionKind, 1u);
  EXPECT_EQ(r.pod.selectedDriverName, r.pod.podDriverName) << "re-pointed into the handle";
  EXPECT_EQ(r.tclk.frequency, code(4, 16));
  EXPECT_EQ(r.remoteLog.remoteHostFound, 1);
  EXPECT_TRUE(holdsDefaults(r.dot7));
  EXPECT_EQ(r.swd.swdDebug, 0u) << "never read";
  EXPECT_EQ(host.keysAsked().back(), "DOT7.TS_EDGE");
}

// Every host call of every group hands its failure on: each row fails the one call whose
// result the reader must return, over keys that reach every optional call.
TEST(ConfigurationReader, TheHostsOwnCodesPassThroughUnchanged) {
  const std::pair<int, std::vector<const char*>> calls[] = {
      {JSC_HOST_NULL_GROUP, {""}},
      {JSC_HOST_FIND_GROUP, {""}},
      {JSC_HOST_FIND_PROPERTY,
       {"LOOM.ECOM_DRVR", "LOOM.ECOM_PORT", "LOOM.ECOM_SERIAL", "LOOM.ECOM_PORT_LEGACY",
        "HARP.POD_PORT", "HARP.POD_SERIAL", "HARP.POD_SUPPLY", "HARP.POD_VOLTAGE_SELECTION",
        "HARP.POD_VOLTAGE", "LOOM.TCLK_ADVANCE", "HARP.RMT_HOST", "HARP.RMT_PORT",
        "LOOM.LINKDELAY_MODE", "LOOM.LINKDLY", "HARP.POD_LOGMODE", "HARP.POD_LOGTYPE",
        "HARP.POD_LOGFILE", "DOT7.DTS_LINKDLY", "SWD.MODE"}},
      {JSC_HOST_GET_TEXT, {"HARP.POD_DRVR", "HARP.RMT_HOST", "HARP.POD_LOGFILE"}},
      {JSC_HOST_GET_UNSIGNED, {"LOOM.ECOM_PORT_LEGACY", "LOOM.SLOWFRQ", "HARP.RMT_PORT"}},
      {JSC_HOST_GET_BOOLEAN, {"HARP.POD_NOGALEFPGA"}},
  };
  int32_t code = -7000;
  for (const auto& [entry, keys] : calls)
    for (const char* key : keys) {
      SCOPED_TRACE(std::to_string(entry) + " " + key);
      loomhost::Host host;
      for (const char* name : {"LOOM.ECOM_PORT_LEGACY", "LOOM.SLOWFRQ", "HARP.RMT_PORT"})
        host.set(name, "1000");
      host.set("LOOM.ECOM_DRVR", "/opt/ecom.so");
      host.set("HARP.POD_DRVR", "kestrel.dll");
      host.set("HARP.RMT_HOST", "logs");
      host.set("HARP.POD_LOGMODE", "1");
      host.set("HARP.POD_LOGFILE", "pod.log");
      ASSERT_EQ(read(host).result, 0);
      host.failEntry(entry, --code, key);
      EXPECT_EQ(read(host).result, code);
    }
}

TEST(HostStandIn, ReadsConfigurationTextAndRefusesGarbageLines) {
  loomhost::Host host;
  std::string error;
  ASSERT_TRUE(host.parse("# probe\n  LOOM.TCLK_FREQUENCY = 12.5 \n\nSWD.MODE=swd\n", error));
  const Reading reading = read(host);
  ASSERT_EQ(reading.result, 0);
  EXPECT_EQ(reading.records->tclk.frequency, code(3, 36));
  EXPECT_EQ(reading.records->swd.swdDebug, 2u);
  EXPECT_FALSE(host.parse("LOOM.TCLK_FREQUENCY 12\n", error));
  EXPECT_EQ(error, "line 1: expected KEY=value");
  EXPECT_FALSE(host.load("/nonexistent/kestrel.cfg", error));
}

}  // namespace
}  // namespace cfgtest
