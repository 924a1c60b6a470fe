// The frame every group reader follows, and the six group readers.
#pragma once

#include <cstdint>

#include "jsc/host_services.h"
#include "key_rules.h"
#include "records.h"

namespace kst::config {

constexpr int32_t kBadArgument = -122;
constexpr int32_t kNoMemory = -131;

// Asks the host for the group; when it is present (and not the null group) runs body.
template <class Record>
int32_t readGroup(const jsc::HostServices& host, Record* record,
                  int32_t (*body)(const GroupReader&, Record&)) {
  if (!host.valid() || record == nullptr) return kBadArgument;
  record->present = 0;
  uint32_t nullGroup = 0, group = 0;
  uint8_t present = 0;
  if (const int32_t result = host.nullGroup(nullGroup)) return result;
  if (const int32_t result = host.findGroup(group, present)) return result;
  record->present = present;
  if (present == 0) return 0;
  if (group == nullGroup) return kBadArgument;
  return body(GroupReader(host, group), *record);
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
