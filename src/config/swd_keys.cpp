// SWD.*: JTAG or Serial Wire Debug, where SWO data comes from, and two connect values.
#include "group_reader.h"
#include "rule_helpers.h"

namespace kst::config {
namespace {

using R = SwdRecord;

constexpr uint32_t kDisabled = 1, kEnabled = 2;
constexpr uint32_t kAuxUart = 1, kTdoPin = 2;

// SWD.MODE sets both fields at once: the keyword's value packs debug and source.
constexpr uint32_t mode(uint32_t debug, uint32_t source) {
  return debug << 8 | source;
}
constexpr Keyword kModes[] = {{"disabled", mode(kDisabled, kAuxUart)},
                              {"swd_only", mode(kEnabled, kAuxUart)},
                              {"swd+swo", mode(kEnabled, kTdoPin)}};
constexpr Keyword kDebug[] = {{"disabled", kDisabled}, {"enabled", kEnabled}};
constexpr Keyword kSources[] = {{"aux_uart", kAuxUart}, {"tdo_pin", kTdoPin}};

int32_t readMode(const GroupReader& reader, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  uint32_t value = mode(kDisabled, kAuxUart);
  uint64_t property = 0;
  uint8_t found = 0;
  if (const int32_t result = reader.find("SWD.MODE", property, found)) return result;
  if (found) {
    const KeyRule rule =
        keywordRule("SWD.MODE", table(kModes), 0, Width::U32, kNoFoundFlag, 0, kBadValue);
    if (const int32_t result = convertValue(reader, property, rule, value)) return result;
  }
  r.swdDebug = value >> 8;
  r.swoSource = value & 0xFF;
  return 0;
}

int32_t validate(const GroupReader&, void* record, const KeyRule&) {
  const auto& r = *static_cast<const R*>(record);
  const bool debugOk = r.swdDebug == kDisabled || r.swdDebug == kEnabled;
  const bool sourceOk = r.swoSource == kAuxUart || r.swoSource == kTdoPin;
  return (r.swdDebugFound && !debugOk) || (r.swoSourceFound && !sourceOk) ? kBadValue : 0;
}

constexpr KeyRule kSwdKeys[] = {
    customRule(readMode),
    keywordRule("SWD.SWD_DEBUG", {kDebug, 2}, KST_FIELD(R, swdDebug), Width::U32,
                KST_FOUND(R, swdDebugFound), kUnchanged, kBadValue),
    keywordRule("SWD.SWO_DATA", {kSources, 2}, KST_FIELD(R, swoSource), Width::U32,
                KST_FOUND(R, swoSourceFound), kUnchanged, kBadValue),
    numberRule("SWD.SWJ_DP_DEFAULT_MODE", KST_FIELD(R, swjDpDefaultMode), kNoFoundFlag, kUnchanged),
    numberRule("SWD.APPY_PIN_RESET_DORMANT_WAKEUP", KST_FIELD(R, pinResetDormantWakeup),
               kNoFoundFlag, kUnchanged),
    customRule(validate),
};

}  // namespace

int32_t readSwdGroup(const jsc::HostServices& host, SwdRecord* record) {
  return readGroup(host, record, kSwdKeys);
}

}  // namespace kst::config
