#include <cstring>

#include "frequency.h"
#include "records.h"

namespace kst::config {

void writeDefaults(PodRecord& record) {
  std::memset(&record, 0, sizeof record);
}

void writeDefaults(ScanRecord& record) {
  std::memset(&record, 0, sizeof record);
  record.slowFrequency = 20000;
  record.bootPinMap = 1;
}

void writeDefaults(TclkRecord& record) {
  std::memset(&record, 0, sizeof record);
  record.program = 5;  // automatic
  record.beginningFrequency = frequencyCode(-1, 0);
  record.frequency = frequencyCode(3, 19);
  record.advance = 12;
  record.retreat = 8;
  record.overflow = 1;
  record.referenceFrequency = frequencyCode(1, 0);
  record.initial = 1;
  record.terminal = 1;
  record.scanBits = 2048;
}

void writeDefaults(RemoteLogRecord& record) {
  std::memset(&record, 0, sizeof record);
}

void writeDefaults(Dot7Record& record) {
  std::memset(&record, 0, sizeof record);
  record.dtsFlush = 64;
  record.dtsFrequency = kNoFrequency;
  record.tsTopology = 1;
  record.tsFlush = 16384;
  record.tsPinWidth = 1;
  record.tsFormat = 1;
  record.tsClockWidth = 1;
}

void writeDefaults(SwdRecord& record) {
  std::memset(&record, 0, sizeof record);
  record.swdDebugFound = 1;
  record.swoSourceFound = 1;
}

void writeDefaults(ConfigurationRecords& records) {
  writeDefaults(records.pod);
  writeDefaults(records.scan);
  writeDefaults(records.tclk);
  writeDefaults(records.remoteLog);
  writeDefaults(records.dot7);
  writeDefaults(records.swd);
}

}  // namespace kst::config
