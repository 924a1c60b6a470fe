// DOT7.*: the IEEE 1149.7 (compact JTAG) debug test system and target system keys.
#include "frequency_keywords.h"
#include "group_reader.h"
#include "rule_helpers.h"

namespace kst::config {
namespace {

using R = Dot7Record;

constexpr Keyword kUsages[] = {{"default", 1}, {"nothing", 1}, {"ignore", 2}, {"enable", 3}};
constexpr Keyword kTypes[] = {{"automatic", 1}, {"double_decker", 2}, {"single_decker", 3},
                              {"wisp3", 4},     {"gale1", 5},         {"gale2", 6},
                              {"squall", 7},    {"kestrel", 8}};
constexpr uint32_t kAutomaticType = 1;
constexpr Keyword kPrograms[] = {{"default", 1},     {"emulator", 1},    {"ts_tclko", 2},
                                 {"ts_tclkr", 3},    {"ts_adaptive", 4}, {"dts_specific", 5},
                                 {"dts_adaptive", 6}};
constexpr Keyword kEdgeDefaultRise[] = {{"default", 0}, {"rise", 0}, {"fall", 1}};
constexpr Keyword kEdgeDefaultFall[] = {{"default", 1}, {"fall", 1}, {"rise", 0}};
constexpr Keyword kTopologies[] = {{"default", 1}, {"single", 1}, {"series", 2},   {"star2", 3},
                                   {"star4", 4},   {"mixed", 5},  {"automatic", 6}};
constexpr Keyword kDtsFlushDefault[] = {{"default", 64}};
constexpr Keyword kTsFlushDefault[] = {{"default", 2048}};
constexpr Keyword kPinWidths[] = {{"default", 1}, {"all_four", 1}, {"only_two", 2}};
constexpr uint32_t kOnlyTwoPins = 2;
constexpr Keyword kFormats[] = {
    {"default", 1}, {"jscan0", 1},  {"jscan1", 2},  {"jscan2", 3},  {"jscan3", 4},  {"mscan", 5},
    {"oscan0", 6},  {"oscan1", 7},  {"oscan2", 8},  {"oscan3", 9},  {"oscan4", 10}, {"oscan5", 11},
    {"oscan6", 12}, {"oscan7", 13}, {"sscan0", 14}, {"sscan1", 15}, {"sscan2", 16}, {"sscan3", 17}};
constexpr Keyword kClockWidths[] = {{"default", 1}, {"0.5", 1}, {"1.0", 2}, {"1.5", 3}, {"2.0", 4}};

// A link delay writes all five fields of its side: "default" (or absent) predicts unless
// the test system is automatic, "sustain" clears, "predict" predicts, a signed or unsigned
// number gives the delay.
int32_t readLinkDelay(const GroupReader& reader, const char* key, uint32_t dtsType,
                      Dot7LinkDelay& delay) {
  uint8_t found = 0;
  uint64_t property = 0;
  const char* text = nullptr;
  std::size_t length = 0;
  if (const int32_t result = findText(reader, key, found, property, text, length)) return result;
  Dot7LinkDelay value{};
  if (!found || abbreviates("default", text, length)) {
    value.predict = dtsType != kAutomaticType;
  } else if (abbreviates("sustain", text, length)) {
  } else if (abbreviates("predict", text, length)) {
    value.predict = 1;
  } else if (const int32_t result =
                 readDelayNumber(reader, property, text, value.signedValue, value.unsignedValue,
                                 value.signedGiven, value.unsignedGiven)) {
    return result;
  }
  delay = value;
  return 0;
}

int32_t readDtsLinkDelay(const GroupReader& reader, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  return readLinkDelay(reader, "DOT7.DTS_LINKDLY", r.dtsType, r.dtsLinkDelay);
}

int32_t readTsLinkDelay(const GroupReader& reader, void* record, const KeyRule&) {
  auto& r = *static_cast<R*>(record);
  return readLinkDelay(reader, "DOT7.TS_LINKDLY", r.dtsType, r.tsLinkDelay);
}

bool isScanFormatAllowed(uint32_t format) {
  return format == 1 || (format >= 5 && format <= 13);
}

int32_t validate(const GroupReader&, void* record, const KeyRule&) {
  const auto& r = *static_cast<const R*>(record);
  if (r.dtsTypeFound && (r.dtsType < 1 || r.dtsType > 8)) return kBadValue;
  if (r.tsFormatFound && !isScanFormatAllowed(r.tsFormat)) return kBadValue;
  if (r.dtsProgramFound && (r.dtsProgram < 1 || r.dtsProgram > 6)) return kBadValue;
  // Two pins carry only the scan formats that need no more.
  if (r.tsPinWidthFound && r.tsPinWidth == kOnlyTwoPins && (r.tsFormat < 5 || r.tsFormat > 13))
    return kBadValue;
  return 0;
}

constexpr KeyRule byteRule(const char* key, std::size_t field, std::ptrdiff_t found,
                           uint32_t maximum) {
  return {key,     Form::DefaultOrByte, {kDefaultIsZero, 1},
          field,   Width::U8,           found,
          0,       kBadValue,           0,
          maximum, kBadValue,           nullptr};
}

#define F(field) KST_FIELD(R, field)
#define FOUND(field) KST_FOUND(R, field)
#define KEYWORDS(name)                 \
  KeywordTable {                       \
    name, sizeof name / sizeof name[0] \
  }

constexpr KeyRule kDot7Keys[] = {
    keywordRule("DOT7.DTS_USAGE", KEYWORDS(kUsages), F(dtsUsage), Width::U32, FOUND(dtsUsageFound),
                1, kBadValue),
    keywordRule("DOT7.DTS_TYPE", KEYWORDS(kTypes), F(dtsType), Width::U32, FOUND(dtsTypeFound), 1,
                kBadValue),
    keywordRule("DOT7.DTS_FLUSH", KEYWORDS(kDtsFlushDefault), F(dtsFlush), Width::U32,
                FOUND(dtsFlushFound), 64, kBadValue, Form::KeywordOrUnsigned),
    keywordRule("DOT7.DTS_PROGRAM", KEYWORDS(kPrograms), F(dtsProgram), Width::U32,
                FOUND(dtsProgramFound), 1, kBadValue),
    keywordRule("DOT7.DTS_FREQUENCY", KEYWORDS(kFrequencyKeywords), F(dtsFrequency), Width::U32,
                FOUND(dtsFrequencyFound), frequencyCode(4, 36), kBadValue,
                Form::FrequencyWholeWord),
    customRule(readDtsLinkDelay),
    keywordRule("DOT7.DTS_EDGE_IN", KEYWORDS(kEdgeDefaultRise), F(dtsEdgeIn), Width::U8,
                FOUND(dtsEdgeInFound), 0, kBadValue),
    keywordRule("DOT7.DTS_EDGE_OUT", KEYWORDS(kEdgeDefaultFall), F(dtsEdgeOut), Width::U8,
                FOUND(dtsEdgeOutFound), 1, kBadValue),
    defaultOrNumberRule("DOT7.DTS_END_ONCE", F(dtsEndOnce), FOUND(dtsEndOnceFound), kUnchanged),
    defaultOrNumberRule("DOT7.DTS_END_MANY", F(dtsEndMany), FOUND(dtsEndManyFound), kUnchanged),
    keywordRule("DOT7.TS_TOPOLOGY", KEYWORDS(kTopologies), F(tsTopology), Width::U32,
                FOUND(tsTopologyFound), 1, kBadValue),
    keywordRule("DOT7.TS_FLUSH", KEYWORDS(kTsFlushDefault), F(tsFlush), Width::U32,
                FOUND(tsFlushFound), 2048, kBadValue, Form::KeywordOrUnsigned),
    keywordRule("DOT7.TS_PIN_WIDTH", KEYWORDS(kPinWidths), F(tsPinWidth), Width::U32,
                FOUND(tsPinWidthFound), 1, kBadValue),
    customRule(readTsLinkDelay),
    keywordRule("DOT7.TS_FORMAT", KEYWORDS(kFormats), F(tsFormat), Width::U32, FOUND(tsFormatFound),
                1, kBadValue),
    byteRule("DOT7.TS_CID", F(tsControllerId), FOUND(tsControllerIdFound), 15),
    byteRule("DOT7.TS_READY", F(tsReady), FOUND(tsReadyFound), 3),
    byteRule("DOT7.TS_DELAY", F(tsDelay), FOUND(tsDelayFound), 3),
    keywordRule("DOT7.TS_CLK_WIDTH", KEYWORDS(kClockWidths), F(tsClockWidth), Width::U32,
                FOUND(tsClockWidthFound), 1, kBadValue),
    keywordRule("DOT7.TS_EDGE", KEYWORDS(kEdgeDefaultRise), F(tsEdge), Width::U8,
                FOUND(tsEdgeFound), 0, kBadValue),
    customRule(validate),
};

#undef F
#undef FOUND
#undef KEYWORDS

}  // namespace

int32_t readDot7Group(const jsc::HostServices& host, Dot7Record* record) {
  return readGroup(host, record, kDot7Keys);
}

}  // namespace kst::config
