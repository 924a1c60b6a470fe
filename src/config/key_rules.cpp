#include "key_rules.h"

#include <cstring>

#include "frequency.h"
#include "group_reader.h"
#include "rule_helpers.h"

namespace kst::config {
namespace {

int32_t failure(int32_t ruleCode, int32_t hostCode) {
  return ruleCode == kHostCode ? hostCode : ruleCode;
}

int32_t inRange(const KeyRule& rule, uint32_t value) {
  return value < rule.minimum || value > rule.maximum ? rule.rangeError : 0;
}

int32_t readUnsigned(const GroupReader& reader, uint64_t property, const KeyRule& rule,
                     uint32_t& value) {
  const int32_t result = reader.host().getUnsigned(property, value);
  if (result != 0) return failure(rule.error, result);
  return inRange(rule, value);
}

}  // namespace

int32_t GroupReader::text(uint64_t property, const char*& text, uint64_t& length) const {
  text = nullptr;
  length = 0;
  const int32_t result = host_.getText(property, length, text);
  if (result == 0 && text == nullptr) length = 0;
  return result;
}

void storeField(void* record, std::size_t offset, Width width, uint32_t value) {
  auto* at = static_cast<uint8_t*>(record) + offset;
  if (width == Width::U8) {
    *at = static_cast<uint8_t>(value);
  } else {
    std::memcpy(at, &value, sizeof value);
  }
}

int32_t convertValue(const GroupReader& reader, uint64_t property, const KeyRule& rule,
                     uint32_t& value) {
  if (rule.form == Form::Unsigned) return readUnsigned(reader, property, rule, value);
  if (rule.form == Form::Boolean) {
    uint8_t flag = 0;
    const int32_t result = reader.host().getBoolean(property, flag);
    if (result != 0) return failure(rule.error, result);
    value = flag != 0;
    return 0;
  }

  const char* text = nullptr;
  uint64_t length = 0;
  if (const int32_t result = reader.text(property, text, length)) return result;
  const std::size_t n = static_cast<std::size_t>(length);
  const int match = rule.form == Form::FrequencyWholeWord
                        ? lookupWholeWord(text, rule.keywords)
                        : lookupAbbreviated(text, n, rule.keywords);
  if (match != kNoMatch) {
    value = rule.keywords.entries[match].value;
    return 0;
  }
  switch (rule.form) {
    case Form::Keyword:
      return rule.error;
    case Form::KeywordOrUnsigned:
      return readUnsigned(reader, property, rule, value);
    case Form::KeywordOrBoolean: {
      uint8_t flag = 0;
      if (reader.host().getBoolean(property, flag) != 0) return rule.error;
      value = flag != 0;
      return 0;
    }
    case Form::DefaultOrByte: {
      uint8_t byte = 0;
      if (reader.host().getByte(property, byte) != 0) return rule.error;
      value = byte;
      return inRange(rule, value);
    }
    case Form::Frequency:
    case Form::FrequencyWholeWord:
      return parseFrequency(text, n, value) ? 0 : rule.error;
    default:
      return rule.error;
  }
}

int32_t readKeys(const GroupReader& reader, void* record, const KeyRule* rules, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const KeyRule& rule = rules[i];
    if (rule.form == Form::Custom) {
      if (const int32_t result = rule.custom(reader, record, rule)) return result;
      continue;
    }
    uint64_t property = 0;
    uint8_t found = 0;
    if (const int32_t result = reader.find(rule.key, property, found)) return result;
    if (rule.foundOffset != kNoFoundFlag)
      storeField(record, static_cast<std::size_t>(rule.foundOffset), Width::U8, found);
    if (!found) {
      if (rule.absent != kUnchanged)
        storeField(record, rule.valueOffset, rule.width, static_cast<uint32_t>(rule.absent));
      continue;
    }
    uint32_t value = 0;
    if (const int32_t result = convertValue(reader, property, rule, value)) return result;
    storeField(record, rule.valueOffset, rule.width, value);
  }
  return 0;
}

}  // namespace kst::config

namespace kst::config {

int32_t findText(const GroupReader& reader, const char* key, uint8_t& found, uint64_t& property,
                 const char*& text, std::size_t& length) {
  text = "";
  length = 0;
  if (const int32_t result = reader.find(key, property, found)) return result;
  if (!found) return 0;
  uint64_t hostLength = 0;
  if (const int32_t result = reader.text(property, text, hostLength)) return result;
  if (text == nullptr) text = "";
  length = static_cast<std::size_t>(hostLength);
  return 0;
}

}  // namespace kst::config

namespace kst::config {

int32_t openGroup(const jsc::HostServices& host, uint8_t& present, uint32_t& group) {
  present = 0;
  uint32_t nullGroup = 0;
  if (const int32_t result = host.nullGroup(nullGroup)) return result;
  if (const int32_t result = host.findGroup(group, present)) return result;
  if (present != 0 && group == nullGroup) return kBadArgument;
  return 0;
}

}  // namespace kst::config

namespace kst::config {

int32_t readDelayNumber(const GroupReader& reader, uint64_t property, const char* text,
                        int32_t& signedValue, uint32_t& unsignedValue, uint8_t& signedGiven,
                        uint8_t& unsignedGiven) {
  if (text[0] == '+' || text[0] == '-') {
    if (reader.host().getSigned(property, signedValue) != 0) return kBadValue;
    signedGiven = 1;
  } else {
    if (reader.host().getUnsigned(property, unsignedValue) != 0) return kBadValue;
    unsignedGiven = 1;
  }
  return 0;
}

}  // namespace kst::config
