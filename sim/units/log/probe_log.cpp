#include "log/probe_log.h"

#include "link/wire.h"
#include "probe/command_codes.h"

namespace ksim {
namespace {

constexpr uint32_t kDebugRecord = 7;
constexpr uint32_t kFirmwareFile = 1;

void put32(std::vector<uint8_t>& out, uint32_t value) {
  out.resize(out.size() + 4);
  kst::wire::putU32(out.data() + out.size() - 4, value);
}

}  // namespace

void ProbeLog::append(const ProbeLogRecord& record) {
  if (!enabled_) return;
  if (records_.size() < kProbeLogSlots)
    records_.push_back(record);
  else
    ++lost_;
}

void ProbeLog::commandDone(uint8_t code, int32_t result) {
  if (code == command::kGetLog || code == command::kSetProperty) return;
  append({kDebugRecord, code, static_cast<uint32_t>(result), 0, kFirmwareFile << 16 | code, 0});
}

std::vector<uint8_t> ProbeLog::take() {
  std::vector<uint8_t> data;
  data.reserve(9 + kProbeLogSlots * 24);
  data.push_back(reportedFlag_ >= 0 ? static_cast<uint8_t>(reportedFlag_) : enabled_ ? 1 : 0);
  put32(data, countOverridden_ ? reportedCount_ : static_cast<uint32_t>(records_.size()));
  put32(data, lost_);
  for (std::size_t slot = 0; slot < kProbeLogSlots; ++slot) {
    const ProbeLogRecord record = slot < records_.size() ? records_[slot] : ProbeLogRecord{};
    for (const uint32_t word : {record.type, record.a, record.b, record.c, record.d})
      put32(data, word);
    data.push_back(record.depth);
    data.insert(data.end(), 3, 0);
  }
  records_.clear();
  lost_ = 0;
  countOverridden_ = false;
  return data;
}

}  // namespace ksim
