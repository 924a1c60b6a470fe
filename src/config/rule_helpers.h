// Short constructors for the rule tables of the key groups.
#pragma once

#include <cstdint>

#include "key_rules.h"

namespace kst::config {

constexpr Keyword kNoKeywords[] = {{"", 0}};
constexpr Keyword kDefaultIsZero[] = {{"default", 0}};

constexpr KeyRule keywordRule(const char* key, KeywordTable keywords, std::size_t field,
                              Width width, std::ptrdiff_t found, int64_t absent, int32_t error,
                              Form form = Form::Keyword) {
  return {key, form, keywords, field, width, found, absent, error, 0, UINT32_MAX, 0, nullptr};
}

// A number the host converts; its failure passes the host's code unless error says otherwise.
constexpr KeyRule numberRule(const char* key, std::size_t field, std::ptrdiff_t found,
                             int64_t absent, int32_t error = kHostCode) {
  return {
      key, Form::Unsigned, {kNoKeywords, 1}, field, Width::U32, found, absent, error, 0, UINT32_MAX,
      0,   nullptr};
}

// A number the host converts that must lie in minimum..maximum; error for both failures.
constexpr KeyRule rangedNumberRule(const char* key, std::size_t field, std::ptrdiff_t found,
                                   int64_t absent, int32_t error, uint32_t minimum,
                                   uint32_t maximum) {
  return {key,    Form::Unsigned, {kNoKeywords, 1}, field,   Width::U32, found,
          absent, error,          minimum,          maximum, error,      nullptr};
}

// "default" gives 0, anything else is a number the host converts.
constexpr KeyRule defaultOrNumberRule(const char* key, std::size_t field, std::ptrdiff_t found,
                                      int64_t absent, int32_t error = kBadValue) {
  return keywordRule(key, {kDefaultIsZero, 1}, field, Width::U32, found, absent, error,
                     Form::KeywordOrUnsigned);
}

constexpr KeyRule booleanRule(const char* key, std::size_t field, std::ptrdiff_t found,
                              int64_t absent) {
  return {key, Form::Boolean, {kNoKeywords, 1}, field, Width::U8, found, absent, kHostCode, 0, 1,
          0,   nullptr};
}

constexpr KeyRule customRule(CustomReader reader) {
  return {"", Form::Custom, {kNoKeywords, 1}, 0, Width::U8, kNoFoundFlag, kUnchanged, 0, 0, 0,
          0,  reader};
}

// A delay number: "+n" or "-n" through the host's signed conversion, anything else through
// its unsigned one; sets the matching given flag. A failed conversion is kBadValue.
int32_t readDelayNumber(const GroupReader& reader, uint64_t property, const char* text,
                        int32_t& signedValue, uint32_t& unsignedValue, uint8_t& signedGiven,
                        uint8_t& unsignedGiven);

// Looks up a key; with found set, its text too (empty when absent).
int32_t findText(const GroupReader& reader, const char* key, uint8_t& found, uint64_t& property,
                 const char*& text, std::size_t& length);

}  // namespace kst::config
