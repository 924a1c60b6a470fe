// The general LOOM.* keys: clock modes, edges, link and end delays, pin delays, extra resets,
// boot-mode and output pins, loopback, the boot pin map, JTAG isolation, reset on connect.
#include <cstdint>

#include "group_reader.h"
#include "rule_helpers.h"

namespace kst::config {
namespace {

using R = ScanRecord;

constexpr uint32_t kLowestSlowFrequency = 250;

constexpr Keyword kTdoEdges[] = {{"default", 1}, {"rise", 0}, {"fall", 1}};
constexpr Keyword kTdiEdges[] = {{"default", 0}, {"rise", 0}, {"fall", 1}};
constexpr Keyword kEnable[] = {{"disable", 0}, {"enable", 1}};
constexpr Keyword kPinValues[] = {{"disable", 0}, {"hiz", 0}, {"00", 1},
                                  {"01", 2},      {"10", 3},  {"11", 4}};
constexpr Keyword kLoopbackValues[] = {
    {"default", 0}, {"disable", 0}, {"data", 1}, {"clock", 2}, {"total", 3}};
constexpr Keyword kBootPinMaps[] = {{"TRD01_TRD00", 0}, {"TRD02_TRD01", 1}, {"EXTF_EXTE", 2}};
constexpr Keyword kDefaultAutomatic[] = {{"default", 0}, {"automatic", 1}};

// A slow clock wins over a fast one; a slow frequency implies the slow clock.
int32_t applyClockRules(const GroupReader&, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  if (r.slowClockFound && r.slowClock) r.fastClock = r.fastClockFound = 0;
  if (r.slowFrequencyFound) {
    r.fastClock = r.fastClockFound = 0;
    r.slowClock = r.slowClockFound = 1;
    if (r.slowFrequency < kLowestSlowFrequency) r.slowFrequency = kLowestSlowFrequency;
  }
  return 0;
}

int32_t readLinkDelayValue(const GroupReader& reader, const char* key, ScanLinkDelay& delay) {
  uint8_t found = 0;
  uint64_t property = 0;
  const char* text = nullptr;
  std::size_t length = 0;
  if (const int32_t result = findText(reader, key, found, property, text, length)) return result;
  if (!found) return 0;
  ScanLinkDelay value{};
  const int keyword = lookupAbbreviated(text, length, table(kDefaultAutomatic));
  if (keyword != kNoMatch) {
    value.automatic = value.automaticCopy = static_cast<uint8_t>(kDefaultAutomatic[keyword].value);
  } else if (const int32_t result =
                 readDelayNumber(reader, property, text, value.signedValue, value.unsignedValue,
                                 value.signedGiven, value.unsignedGiven)) {
    return result;
  }
  delay = value;
  return 0;
}

// LOOM.LINKDELAY_MODE "enable" with LOOM.LINKDELAY_VALUE, or the older LOOM.LINKDLY.
int32_t readLinkDelay(const GroupReader& reader, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  uint8_t found = 0;
  uint64_t property = 0;
  const char* text = nullptr;
  std::size_t length = 0;
  if (const int32_t result = findText(reader, "LOOM.LINKDELAY_MODE", found, property, text, length))
    return result;
  if (!found) return readLinkDelayValue(reader, "LOOM.LINKDLY", r.linkDelay);
  if (abbreviates("disable", text, length)) return 0;
  if (!abbreviates("enable", text, length)) return kBadValue;
  return readLinkDelayValue(reader, "LOOM.LINKDELAY_VALUE", r.linkDelay);
}

// The pins, each a mode key and a value key; either one off turns both off.
struct PinKeys {
  std::size_t pair;  // offset of the PinPair in the record
  const char* modeKey;
  const char* valueKey;
  KeywordTable values;
  int32_t modeError;
  int32_t valueError;
};

constexpr PinKeys kPins[] = {
    {offsetof(R, jtagBoot), "LOOM.JTAGBOOT_MODE", "LOOM.JTAGBOOT_VALUE", table(kPinValues),
     CFG_ERR_JTAGBOOT_MODE, CFG_ERR_JTAGBOOT_VALUE},
    {offsetof(R, powerBoot), "LOOM.POWERBOOT_MODE", "LOOM.POWERBOOT_VALUE", table(kPinValues),
     CFG_ERR_POWERBOOT_MODE, CFG_ERR_POWERBOOT_VALUE},
    {offsetof(R, emulatorOutput), "LOOM.EMUOUTPUT_MODE", "LOOM.EMUOUTPUT_VALUE", table(kPinValues),
     CFG_ERR_EMUOUTPUT_MODE, CFG_ERR_EMUOUTPUT_VALUE},
    {offsetof(R, loopback), "LOOM.LOOPBACK_MODE", "LOOM.LOOPBACK_VALUE", table(kLoopbackValues),
     CFG_ERR_LOOPBACK_MODE, CFG_ERR_LOOPBACK_VALUE},
};

int32_t readPins(const GroupReader& reader, void* record, const KeyRule&) {
  for (const PinKeys& pin : kPins) {
    auto& pair = *reinterpret_cast<PinPair*>(static_cast<uint8_t*>(record) + pin.pair);
    const KeyRule rules[] = {
        keywordRule(pin.modeKey, table(kEnable), offsetof(PinPair, mode), Width::U32,
                    offsetof(PinPair, modeFound), 0, pin.modeError),
        keywordRule(pin.valueKey, pin.values, offsetof(PinPair, value), Width::U32,
                    offsetof(PinPair, valueFound), 0, pin.valueError),
    };
    if (const int32_t result = readKeys(reader, &pair, rules)) return result;
    if (pair.mode == 0 || pair.value == 0) pair.mode = pair.value = 0;
  }
  return 0;
}

#define F(field) KST_FIELD(R, field)
#define FOUND(field) KST_FOUND(R, field)

constexpr KeyRule kScanKeys[] = {
    booleanRule("LOOM.NOAMBLE", F(noPreamble), FOUND(noPreambleFound), kUnchanged),
    booleanRule("LOOM.NOCHECK", F(noCheck), FOUND(noCheckFound), kUnchanged),
    booleanRule("LOOM.OKSTALL", F(okToStall), FOUND(okToStallFound), kUnchanged),
    booleanRule("LOOM.FASTCLK", F(fastClock), FOUND(fastClockFound), 0),
    booleanRule("LOOM.SLOWCLK", F(slowClock), FOUND(slowClockFound), 0),
    numberRule("LOOM.SLOWFRQ", F(slowFrequency), FOUND(slowFrequencyFound), 20000),
    customRule(applyClockRules),
    keywordRule("LOOM.TDOEDGE", {kTdoEdges, 3}, F(tdoEdge), Width::U8, FOUND(tdoEdgeFound), 0,
                kBadValue),
    keywordRule("LOOM.TDIEDGE", {kTdiEdges, 3}, F(tdiEdge), Width::U8, FOUND(tdiEdgeFound), 0,
                kBadValue),
    customRule(readLinkDelay),
    defaultOrNumberRule("LOOM.END_DELAY_ONCE", F(endDelayOnce), FOUND(endDelayOnceFound),
                        kUnchanged),
    defaultOrNumberRule("LOOM.END_DELAY_MANY", F(endDelayMany), FOUND(endDelayManyFound),
                        kUnchanged),
    numberRule("LOOM.DLYTDI_POD2EMU", F(tdiDelayPodToEmulator), FOUND(tdiDelayPodToEmulatorFound),
               kUnchanged),
    numberRule("LOOM.DLYTDI_TGT2POD", F(tdiDelayTargetToPod), FOUND(tdiDelayTargetToPodFound),
               kUnchanged),
    numberRule("LOOM.DLYTCK_EMU2POD", F(tckDelayEmulatorToPod), FOUND(tckDelayEmulatorToPodFound),
               kUnchanged),
    numberRule("LOOM.DLYTCK_POD2EMU", F(tckDelayPodToEmulator), FOUND(tckDelayPodToEmulatorFound),
               kUnchanged),
    booleanRule("LOOM.EXTRARESET_SYSTEM", F(extraSystemReset), FOUND(extraSystemResetFound), 0),
    booleanRule("LOOM.EXTRARESET_JTAG", F(extraJtagReset), FOUND(extraJtagResetFound), 0),
    customRule(readPins),
    keywordRule("LOOM.BOOT_PINMAP", {kBootPinMaps, 3}, F(bootPinMap), Width::U32,
                FOUND(bootPinMapFound), 1, CFG_ERR_BOOT_PINMAP),
    keywordRule("LOOM.JTAG_ISOLATE", {kEnable, 2}, F(jtagIsolate), Width::U32,
                FOUND(jtagIsolateFound), 0, kBadValue),
    numberRule("LOOM.RESET_ON_CONNECT", F(resetOnConnect), FOUND(resetOnConnectFound), 0),
};

#undef F
#undef FOUND

}  // namespace

int32_t readScanGroup(const jsc::HostServices& host, ScanRecord* record) {
  return readGroup(host, record, kScanKeys);
}

}  // namespace kst::config
