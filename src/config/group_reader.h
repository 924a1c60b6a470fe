// The frame every group reader follows, and the six group readers.
#pragma once

#include <cstdint>

#include "jsc/host_services.h"
#include "kestrel/kst_results.h"
#include "key_rules.h"
#include "records.h"

namespace kst::config {

constexpr int32_t kBadArgument = KST_ERR_BAD_ARGUMENT;
constexpr int32_t kNoMemory = KST_ERR_NO_MEMORY;

// Asks the host for the configuration group and stores its present flag; group is the id to
// read keys from. 0 with present 0 when the host holds no configuration.
int32_t openGroup(const jsc::HostServices& host, uint8_t& present, uint32_t& group);

// The common frame of a group reader: the group, then the keys of rules in order.
template <class Record, std::size_t N>
int32_t readGroup(const jsc::HostServices& host, Record* record, const KeyRule (&rules)[N]) {
  if (!host.valid() || record == nullptr) return kBadArgument;
  uint32_t group = 0;
  if (const int32_t result = openGroup(host, record->present, group)) return result;
  if (record->present == 0) return 0;
  return readKeys(GroupReader(host, group), record, rules, N);
}

int32_t readPodGroup(const jsc::HostServices& host, PodRecord* record);
int32_t readScanGroup(const jsc::HostServices& host, ScanRecord* record);
int32_t readTclkGroup(const jsc::HostServices& host, TclkRecord* record);
int32_t readRemoteLogGroup(const jsc::HostServices& host, RemoteLogRecord* record);
int32_t readDot7Group(const jsc::HostServices& host, Dot7Record* record);
int32_t readSwdGroup(const jsc::HostServices& host, SwdRecord* record);

// Chooses the connection from the pod record in place (its references point into it).
int32_t selectConnection(PodRecord& record);

}  // namespace kst::config
