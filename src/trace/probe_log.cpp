#include "probe_log.h"

#include "../link/wire.h"
#include "logger_binding.h"

namespace kst::trace {
namespace {

constexpr std::size_t kFlagOffset = 7;
constexpr std::size_t kCountOffset = 8;
constexpr std::size_t kOverflowOffset = 12;
constexpr std::size_t kSlotsOffset = 16;

struct Record {
  uint32_t type, a, b, c, d;
  uint8_t depth;
};

Record recordAt(const uint8_t* reply, std::size_t slot) {
  if (slot >= kProbeLogSlots) return Record{};
  const uint8_t* at = reply + kSlotsOffset + slot * kProbeLogRecordSize;
  return Record{wire::getU32(at),      wire::getU32(at + 4),  wire::getU32(at + 8),
                wire::getU32(at + 12), wire::getU32(at + 16), at[20]};
}

enum RecordType : uint32_t {
  kDpRegRead,
  kDpRegWrite,
  kDpRegWriteAndFlush,
  kApRegRead,
  kApRegWrite,
  kApRegWriteAndFlush,
  kFinalRdbuff,
  kDebugLog,
  kReportUsage,
};

const char* const kRecordNames[] = {
    "DpRegRead",          "DpRegWrite",  "DpRegWriteAndFlush", "ApRegRead",   "ApRegWrite",
    "ApRegWriteAndFlush", "FinalRdbuff", "DebugLog",           "ReportUsage",
};

constexpr const char* kDpReadLine = "Depth%d: %s( address = 0x%08x ) -> 0x%08x = %d";
constexpr const char* kDpWriteLine = "Depth%d: %s( address = 0x%08x, *value = 0x%08x ) = %d";
constexpr const char* kApReadLine = "Depth%d: %s( apNumber = %d, address = 0x%08x ) -> 0x%08x = %d";
constexpr const char* kApWriteLine =
    "Depth%d: %s( apNumber = %d, address = 0x%08x, *value = 0x%08x ) = %d";
constexpr const char* kDebugLine =
    "Depth%d: %s@F%d:L%d( arg1 = %08x, arg2 = 0x%08x, arg3 = 0x%08x )";
constexpr const char* kUsageLine =
    "Usage report: nApRegRead=%d, nApRegWrite=%d, nApRegWriteAndFlush=%d, nDpRegRead=%d, "
    "nDpRegWrite=%d, nDpRegWriteAndFlush=%d, nFinalRdbuff=%d";

int asInt(uint32_t value) {
  return static_cast<int>(value);
}

// Writes one record's line; returns how many slots it used (a usage report takes two).
std::size_t writeRecord(Logging::ILogger& logger, uint32_t level, const uint8_t* reply,
                        std::size_t slot) {
  const Record r = recordAt(reply, slot);
  const int depth = r.depth;
  const char* name = r.type <= kReportUsage ? kRecordNames[r.type] : nullptr;
  auto log = [&](const char* format, auto... values) {
    logger.Log(nullptr, kComponent, kSubcomponent, level, format, values...);
  };
  switch (r.type) {
    case kDpRegRead:
    case kFinalRdbuff:
      log(kDpReadLine, depth, name, r.b, r.c, asInt(r.d));
      return 1;
    case kDpRegWrite:
    case kDpRegWriteAndFlush:
      log(kDpWriteLine, depth, name, r.b, r.c, asInt(r.d));
      return 1;
    case kApRegRead:
      log(kApReadLine, depth, name, asInt(r.a), r.b, r.c, asInt(r.d));
      return 1;
    case kApRegWrite:
    case kApRegWriteAndFlush:
      log(kApWriteLine, depth, name, asInt(r.a), r.b, r.c, asInt(r.d));
      return 1;
    case kDebugLog:
      log(kDebugLine, depth, name, asInt(r.d) >> 16, asInt(r.d & 0xFFFF), r.a, r.b, r.c);
      return 1;
    case kReportUsage: {
      // The last four counters stand in the next slot. A report in the very last slot of
      // the buffer has no continuation: those counters read as 0.
      const Record next = recordAt(reply, slot + 1);
      log(kUsageLine, asInt(r.a), asInt(r.b), asInt(r.c), asInt(next.type), asInt(next.a),
          asInt(next.b), asInt(next.c));
      return 2;
    }
    default:
      return 1;  // types this library does not know are skipped
  }
}

}  // namespace

bool probeLogFlag(const uint8_t* reply) {
  return reply[kFlagOffset] != 0;
}

void writeOverflowNotice(Logging::ILogger& logger, const uint8_t* reply) {
  const uint32_t lost = wire::getU32(reply + kOverflowOffset);
  if (lost != 0)
    logger.Log(nullptr, kComponent, kSubcomponent, 4,
               "KST_GETLOG(): Kestrel Logging buffer overflowed by %d records!", asInt(lost));
}

void writeProbeLogRecords(Logging::ILogger& logger, uint32_t level, const uint8_t* reply) {
  const uint32_t count = wire::getU32(reply + kCountOffset);
  const std::size_t visited = count < kProbeLogSlots ? count : kProbeLogSlots;
  for (std::size_t slot = 0; slot < visited;) slot += writeRecord(logger, level, reply, slot);
}

}  // namespace kst::trace
