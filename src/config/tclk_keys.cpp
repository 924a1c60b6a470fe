// LOOM.TCLK_*: how the test clock is chosen and stepped, and the scan length limits.
#include "frequency.h"
#include "frequency_keywords.h"
#include "group_reader.h"
#include "rule_helpers.h"

namespace kst::config {
namespace {

using R = TclkRecord;

constexpr uint32_t kMaxScanBits = 524288;

constexpr Keyword kPrograms[] = {
    {"nothing", 0},   {"external", 1},  {"default", 2},  {"reference", 3}, {"specific", 4},
    {"automatic", 5}, {"adaptive", 6},  {"inverter", 7}, {"superlow", 8},  {"minimum", 9},
    {"legacy", 10},   {"exchange", 11}, {"maximum", 12},
};
constexpr uint32_t kSpecificProgram = 4;

constexpr Keyword kTestModes[] = {
    {"default", 0}, {"nothing", 1}, {"continue", 2}, {"surrender", 3}};
constexpr Keyword kOverflows[] = {{"default", 0}, {"failure", 1}, {"silent", 2}};
constexpr Keyword kDefaultIsTrue[] = {{"default", 1}};
constexpr Keyword kScanBits[] = {
    {"none", 0}, {"default", 2048}, {"shortest", 256}, {"longest", kMaxScanBits}};
// Sizes to be measured; no number the keys accept has this value.
constexpr uint32_t kMeasured = UINT32_MAX;
constexpr Keyword kPathSizes[] = {{"default", kMeasured}, {"measure", kMeasured}};

// The found flag of a test-clock key.
constexpr std::ptrdiff_t foundFlag(TclkKey key) {
  return KST_FOUND(R, found) + key;
}

// Scan bits: keywords as they are (all multiples of 32), numbers 256..524288 cut to a
// multiple of 32.
int32_t readScanBits(const GroupReader& reader, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  uint64_t property = 0;
  if (const int32_t result = reader.find("LOOM.TCLK_SCAN_BITS", property, r.scanBitsFound))
    return result;
  if (!r.scanBitsFound) return 0;  // scan bits keep 2048, not given
  const KeyRule rule{"",
                     Form::KeywordOrUnsigned,
                     table(kScanBits),
                     0,
                     Width::U32,
                     kNoFoundFlag,
                     kUnchanged,
                     kBadValue,
                     256,
                     kMaxScanBits,
                     CFG_ERR_SCAN_BITS,
                     nullptr};
  uint32_t value = 0;
  if (const int32_t result = convertValue(reader, property, rule, value)) return result;
  r.scanBits = value & ~31u;
  r.scanBitsGiven = 1;
  return 0;
}

// A path size: "default" or "measure" leave it to be measured, a number fixes it.
int32_t readPathSize(const GroupReader& reader, const char* key, uint32_t& size, uint8_t& fixed,
                     uint8_t& found, int32_t rangeError) {
  uint64_t property = 0;
  if (const int32_t result = reader.find(key, property, found)) return result;
  if (!found) return 0;
  const KeyRule rule{"",
                     Form::KeywordOrUnsigned,
                     table(kPathSizes),
                     0,
                     Width::U32,
                     kNoFoundFlag,
                     kUnchanged,
                     kBadValue,
                     0,
                     kMaxScanBits,
                     rangeError,
                     nullptr};
  uint32_t value = 0;
  if (const int32_t result = convertValue(reader, property, rule, value)) return result;
  fixed = value != kMeasured;
  size = fixed ? value : 0;
  return 0;
}

int32_t readIrSize(const GroupReader& reader, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  return readPathSize(reader, "LOOM.TCLK_PATH_IRSIZE", r.irSize, r.irSizeFixed, r.irSizeFound,
                      CFG_ERR_PATH_IRSIZE);
}

int32_t readDrSize(const GroupReader& reader, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  return readPathSize(reader, "LOOM.TCLK_PATH_DRSIZE", r.drSize, r.drSizeFixed, r.drSizeFound,
                      CFG_ERR_PATH_DRSIZE);
}

// With the specific program and no beginning frequency of its own, the clock starts no
// higher than the frequency asked for.
int32_t applyBeginningRule(const GroupReader&, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  if (!r.found[kTclkBeginning] && r.program == kSpecificProgram &&
      frequencyLess(r.frequency, r.beginningFrequency))
    r.beginningFrequency = r.frequency;
  return 0;
}

constexpr Keyword kReferences[] = {
    {"default", frequencyCode(1, 0)}, {"1.0", frequencyCode(0, 0)},  {"2.0", frequencyCode(1, 0)},
    {"4.0", frequencyCode(2, 0)},     {"5.0", frequencyCode(2, 16)}, {"10.0", frequencyCode(3, 16)},
};

constexpr KeyRule kTclkKeys[] = {
    keywordRule("LOOM.TCLK_PROGRAM", table(kPrograms), KST_FIELD(R, program), Width::U32,
                foundFlag(kTclkProgram), 5, CFG_ERR_TCLK_PROGRAM),
    keywordRule("LOOM.TCLK_BEGINNING", table(kFrequencyKeywords), KST_FIELD(R, beginningFrequency),
                Width::U32, foundFlag(kTclkBeginning), frequencyCode(-1, 0), CFG_ERR_TCLK_BEGINNING,
                Form::Frequency),
    keywordRule("LOOM.TCLK_FREQUENCY", table(kFrequencyKeywords), KST_FIELD(R, frequency),
                Width::U32, foundFlag(kTclkFrequency), frequencyCode(3, 19), CFG_ERR_TCLK_FREQUENCY,
                Form::Frequency),
    rangedNumberRule("LOOM.TCLK_ADVANCE", KST_FIELD(R, advance), foundFlag(kTclkAdvance), 12,
                     CFG_ERR_TCLK_ADVANCE, 1, 63),
    rangedNumberRule("LOOM.TCLK_RETREAT", KST_FIELD(R, retreat), foundFlag(kTclkRetreat), 8,
                     CFG_ERR_TCLK_RETREAT, 1, 63),
    keywordRule("LOOM.TCLK_TESTMODE", table(kTestModes), KST_FIELD(R, testMode), Width::U32,
                foundFlag(kTclkTestMode), 0, CFG_ERR_TCLK_TESTMODE),
    keywordRule("LOOM.TCLK_OVERFLOW", table(kOverflows), KST_FIELD(R, overflow), Width::U32,
                foundFlag(kTclkOverflow), 0, CFG_ERR_TCLK_OVERFLOW),
    keywordRule("LOOM.TCLK_REFERENCE", table(kReferences), KST_FIELD(R, referenceFrequency),
                Width::U32, foundFlag(kTclkReference), frequencyCode(1, 0), CFG_ERR_TCLK_REFERENCE,
                Form::Frequency),
    keywordRule("LOOM.TCLK_INITIAL", table(kDefaultIsTrue), KST_FIELD(R, initial), Width::U8,
                foundFlag(kTclkInitial), kUnchanged, CFG_ERR_TCLK_INITIAL, Form::KeywordOrBoolean),
    keywordRule("LOOM.TCLK_TERMINAL", table(kDefaultIsTrue), KST_FIELD(R, terminal), Width::U8,
                foundFlag(kTclkTerminal), kUnchanged, CFG_ERR_TCLK_TERMINAL,
                Form::KeywordOrBoolean),
    customRule(applyBeginningRule),
    customRule(readScanBits),
    customRule(readIrSize),
    customRule(readDrSize),
};

}  // namespace

int32_t readTclkGroup(const jsc::HostServices& host, TclkRecord* record) {
  return readGroup(host, record, kTclkKeys);
}

}  // namespace kst::config
