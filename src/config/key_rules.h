// Reading a group's keys from the host, declared as data: one rule per key says how its
// value is written, where it is stored, what an absent key gets and which code a bad value
// gives. Keys that need more than one field or a rule of their own have a custom reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jsc/host_services.h"
#include "kestrel/kst_results.h"
#include "keywords.h"

namespace kst::config {

constexpr int32_t kBadValue = CFG_ERR_BAD_VALUE;  // the general code for a bad value
constexpr int32_t kHostCode = 0;  // as an error code: pass the host's own code through

// One group's session with the host.
class GroupReader {
 public:
  GroupReader(const jsc::HostServices& host, uint32_t group) : host_(host), group_(group) {}

  int32_t find(const char* key, uint64_t& property, uint8_t& found) const {
    found = 0;
    property = 0;
    return host_.findProperty(group_, key, property, found);
  }
  int32_t text(uint64_t property, const char*& text, uint64_t& length) const;
  const jsc::HostServices& host() const { return host_; }

 private:
  const jsc::HostServices& host_;
  uint32_t group_;
};

enum class Form {
  Keyword,             // text, abbreviated keyword
  KeywordOrUnsigned,   // text: a keyword, else the host's unsigned number
  KeywordOrBoolean,    // text: a keyword, else the host's boolean
  DefaultOrByte,       // text: "default" gives 0, else the host's byte
  Frequency,           // text: an abbreviated keyword, else a frequency text
  FrequencyWholeWord,  // text: a whole-word keyword, else a frequency text
  Unsigned,            // the host's unsigned number
  Boolean,             // the host's boolean
  Custom,              // the rule's own reader
};

enum class Width { U8, U32 };

constexpr int64_t kUnchanged = -1;
constexpr std::ptrdiff_t kNoFoundFlag = -1;

struct KeyRule;
using CustomReader = int32_t (*)(const GroupReader& reader, void* record, const KeyRule& rule);

struct KeyRule {
  const char* key;
  Form form;
  KeywordTable keywords;
  std::size_t valueOffset;
  Width width;
  std::ptrdiff_t foundOffset;
  int64_t absent;    // value for an absent key, or kUnchanged
  int32_t error;     // unmatched keyword or failed conversion (kHostCode: the host's)
  uint32_t minimum;  // numbers outside minimum..maximum give rangeError
  uint32_t maximum;
  int32_t rangeError;
  CustomReader custom;
};

// Reads the keys in order into record; the first failure ends the reading.
int32_t readKeys(const GroupReader& reader, void* record, const KeyRule* rules, std::size_t count);

template <std::size_t N>
int32_t readKeys(const GroupReader& reader, void* record, const KeyRule (&rules)[N]) {
  return readKeys(reader, record, rules, N);
}

// Field helpers for rule tables.
#define KST_FIELD(Record, field) offsetof(Record, field)
#define KST_FOUND(Record, field) static_cast<std::ptrdiff_t>(offsetof(Record, field))

// Converts a found key's value the way its rule says.
int32_t convertValue(const GroupReader& reader, uint64_t property, const KeyRule& rule,
                     uint32_t& value);

void storeField(void* record, std::size_t offset, Width width, uint32_t value);

}  // namespace kst::config
