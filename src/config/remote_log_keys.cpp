// HARP.RMT_* and HARP.POD_LOG*: where a pod keeps its log. The texts stay the host's.
#include "group_reader.h"
#include "rule_helpers.h"

namespace kst::config {
namespace {

using R = RemoteLogRecord;

constexpr HostText kDefaultLogFile{"harp_log_file.txt", 17};

// A key's text reference, asked for whether or not the key was found.
int32_t readHostText(const GroupReader& reader, const char* key, uint8_t& found, uint64_t& property,
                     HostText& text) {
  if (const int32_t result = reader.find(key, property, found)) return result;
  return reader.host().getText(property, text.length, text.text);
}

// A boolean, asked for whether or not the key was found.
int32_t readFlag(const GroupReader& reader, const char* key, uint8_t& value, uint8_t& found) {
  uint64_t property = 0;
  if (const int32_t result = reader.find(key, property, found)) return result;
  return reader.host().getBoolean(property, value);
}

int32_t readRemoteLogKeys(const GroupReader& reader, void* record, const KeyRule&) {
  R& r = *static_cast<R*>(record);
  uint64_t property = 0;
  if (const int32_t result =
          readHostText(reader, "HARP.RMT_HOST", r.remoteHostFound, property, r.remoteHost))
    return result;
  if (r.remoteHostFound) {
    if (const int32_t result = reader.find("HARP.RMT_PORT", property, r.remotePortFound))
      return result;
    if (r.remotePortFound) {
      if (const int32_t result = reader.host().getUnsigned(property, r.remotePort)) return result;
    }
  }
  if (const int32_t result =
          readFlag(reader, "HARP.POD_NOGALECABLE", r.noGaleCable, r.noGaleCableFound))
    return result;
  if (const int32_t result =
          readFlag(reader, "HARP.POD_NOGALEFPGA", r.noGaleFpga, r.noGaleFpgaFound))
    return result;
  if (const int32_t result = readFlag(reader, "HARP.POD_LOGMODE", r.logMode, r.logModeFound))
    return result;
  if (!r.logModeFound) return 0;

  const char* text = nullptr;
  std::size_t length = 0;
  if (const int32_t result =
          findText(reader, "HARP.POD_LOGTYPE", r.logTypeFound, property, text, length))
    return result;
  if (r.logTypeFound) {
    if (abbreviates("verbose", text, length))
      r.logType = 1;
    else if (abbreviates("brief", text, length))
      r.logType = 0;
  }
  if (const int32_t result = reader.find("HARP.POD_LOGFILE", property, r.logFileFound))
    return result;
  if (!r.logFileFound) {
    r.logFile = kDefaultLogFile;
    return 0;
  }
  return reader.host().getText(property, r.logFile.length, r.logFile.text);
}

// The log keys are read only in log mode, and some are asked for even when absent.
constexpr KeyRule kRemoteLogKeys[] = {customRule(readRemoteLogKeys)};

}  // namespace

int32_t readRemoteLogGroup(const jsc::HostServices& host, RemoteLogRecord* record) {
  return readGroup(host, record, kRemoteLogKeys);
}

}  // namespace kst::config
