// The reader across all six groups: order, defaults, failures and the host's own codes.
#include "config/configuration_reader.h"

#include <cstring>
#include <memory>

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

TEST(ConfigurationReader, WithoutAGroupEveryRecordKeepsItsDefaults) {
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

TEST(ConfigurationReader, TheHostsOwnCodesPassThroughUnchanged) {
  const struct {
    const char* name;
    int entry;
    const char* key;
    int32_t code;
  } cases[] = {
      {"find property for one key", JSC_HOST_FIND_PROPERTY, "LOOM.TCLK_ADVANCE", -7001},
      {"get text", JSC_HOST_GET_TEXT, "HARP.POD_DRVR", -7002},
      {"null group", JSC_HOST_NULL_GROUP, "", -7003},
      {"find group", JSC_HOST_FIND_GROUP, "", -7004},
      {"get unsigned", JSC_HOST_GET_UNSIGNED, "LOOM.SLOWFRQ", -7005},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    loomhost::Host host;
    host.set("HARP.POD_DRVR", "kestrel.dll");
    host.set("LOOM.SLOWFRQ", "1000");
    host.failEntry(c.entry, c.code, c.key);
    EXPECT_EQ(read(host).result, c.code);
  }
}

TEST(ConfigurationReader, TheNullGroupAndNullArgumentsAreRefused) {
  loomhost::Host host;
  host.setGroupIsNull(true);
  EXPECT_EQ(read(host).result, -122);
  kst::config::TclkRecord record;
  EXPECT_EQ(kst::config::readTclkGroup({nullptr, host.services()}, &record), -122);
  EXPECT_EQ(kst::config::readTclkGroup({host.context(), nullptr}, &record), -122);
  EXPECT_EQ(kst::config::readTclkGroup({host.context(), host.services()}, nullptr), -122);
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
