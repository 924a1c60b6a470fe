// Runs a group reader over a host stand-in holding a few keys.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/frequency.h"
#include "config/group_reader.h"
#include "config/records.h"
#include "jsc/host_services.h"
#include "loom_host/host.h"

namespace cfgtest {

using Keys = std::vector<std::pair<std::string, std::string>>;

template <class Record>
struct GroupCase {
  const char* name;
  Keys keys;
  int32_t expected;
  std::function<void(const Record&)> check;
};

template <class Record>
void runCases(int32_t (*read)(const kst::jsc::HostServices&, Record*),
              const std::vector<GroupCase<Record>>& cases,
              const std::function<void(loomhost::Host&)>& prepare = {}) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    loomhost::Host host;
    for (const auto& [key, value] : c.keys) host.set(key, value);
    if (prepare) prepare(host);
    const kst::jsc::HostServices services(host.context(), host.services());
    Record record;
    kst::config::writeDefaults(record);
    EXPECT_EQ(read(services, &record), c.expected);
    EXPECT_EQ(record.present, 1);
    if (c.check) c.check(record);
  }
}

inline uint32_t code(int e, unsigned m) {
  return kst::config::frequencyCode(e, m);
}

// A check that one field of the record holds value.
template <class Record, class Field, class Value>
std::function<void(const Record&)> expect(Field Record::*field, Value value) {
  return [field, value](const Record& r) { EXPECT_EQ(r.*field, static_cast<Field>(value)); };
}

}  // namespace cfgtest
