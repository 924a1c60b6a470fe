// The firmware's own log: what it did, kept while logging is on, fetched with KST_GETLOG.
#pragma once

#include <cstdint>
#include <vector>

#include "kestrel_sim/sim.h"

namespace ksim {

class ProbeLog {
 public:
  void setEnabled(bool enabled) { enabled_ = enabled; }
  bool enabled() const { return enabled_; }

  void append(const ProbeLogRecord& record);
  // The debug record of a command the firmware carried out.
  void commandDone(uint8_t code, int32_t result);

  void reportFlag(int flag) { reportedFlag_ = flag; }
  void reportCountOnce(uint32_t count) {
    reportedCount_ = count;
    countOverridden_ = true;
  }

  // The KST_GETLOG reply data (after the result field): flag, count, lost, 180 slots.
  // Empties the log.
  std::vector<uint8_t> take();

 private:
  bool enabled_ = false;
  std::vector<ProbeLogRecord> records_;
  uint32_t lost_ = 0;
  int reportedFlag_ = -1;
  uint32_t reportedCount_ = 0;
  bool countOverridden_ = false;
};

}  // namespace ksim
