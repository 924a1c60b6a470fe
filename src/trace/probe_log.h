// The probe's own log, fetched with KST_GETLOG after a traced command, written as lines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kestrel/logging.h"

namespace kst::trace {

constexpr uint32_t kProbeLogReplySize = 4336;
constexpr std::size_t kProbeLogSlots = 180;
constexpr std::size_t kProbeLogRecordSize = 24;

// What the probe's log reply says of its own logging flag.
bool probeLogFlag(const uint8_t* reply);

// Writes the records of a KST_GETLOG reply (kProbeLogReplySize bytes) at level. The overflow
// notice (writeOverflowNotice) and the flag mismatch check are the caller's.
void writeProbeLogRecords(Logging::ILogger& logger, uint32_t level, const uint8_t* reply);

// Writes the overflow notice when the reply reports lost records.
void writeOverflowNotice(Logging::ILogger& logger, const uint8_t* reply);

}  // namespace kst::trace
