#include "configuration_reader.h"

#include <memory>
#include <new>

#include "group_reader.h"

namespace kst::config {
namespace {

template <class Record>
int32_t readInto(const jsc::HostServices& host, Record& target,
                 int32_t (*read)(const jsc::HostServices&, Record*),
                 int32_t (*afterCopy)(Record&)) {
  std::unique_ptr<Record> temporary(new (std::nothrow) Record);
  if (!temporary) return kNoMemory;
  writeDefaults(*temporary);
  const int32_t result = read(host, temporary.get());
  if (result != 0) return result;
  target = *temporary;
  return afterCopy(target);
}

template <class Record>
int32_t readInto(const jsc::HostServices& host, Record& target,
                 int32_t (*read)(const jsc::HostServices&, Record*)) {
  return readInto<Record>(host, target, read, [](Record&) { return int32_t{0}; });
}

}  // namespace

int32_t readConfiguration(const jsc::HostServices& host, ConfigurationRecords& records) {
  // The pod record's references point into the record: they are chosen after the copy.
  if (const int32_t r = readInto(host, records.pod, readPodGroup, selectConnection)) return r;
  if (const int32_t r = readInto(host, records.scan, readScanGroup)) return r;
  if (const int32_t r = readInto(host, records.tclk, readTclkGroup)) return r;
  if (const int32_t r = readInto(host, records.remoteLog, readRemoteLogGroup)) return r;
  if (const int32_t r = readInto(host, records.dot7, readDot7Group)) return r;
  return readInto(host, records.swd, readSwdGroup);
}

}  // namespace kst::config
