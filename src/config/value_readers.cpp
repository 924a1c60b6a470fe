#include "value_readers.h"

#include <cstdlib>
#include <string>

#include "keywords.h"

namespace kst::config {
namespace {

constexpr Keyword kTrueWords[] = {{"POSITIVE", 1}, {"ASSERT", 1}, {"TRUTH", 1}, {"TRUE", 1},
                                  {"HIGH", 1},     {"YES", 1},    {"ONE", 1},   {"1", 1}};
constexpr Keyword kFalseWords[] = {{"NEGATIVE", 0}, {"NEGATE", 0}, {"FALSE", 0}, {"LOW", 0},
                                   {"NOT", 0},      {"NO", 0},     {"ZERO", 0},  {"0", 0}};

}  // namespace

bool readBooleanWord(const char* text, bool& value) {
  if (text == nullptr) return false;
  if (lookupWholeWord(text, table(kTrueWords)) != kNoMatch) {
    value = true;
    return true;
  }
  if (lookupWholeWord(text, table(kFalseWords)) != kNoMatch) {
    value = false;
    return true;
  }
  char* end = nullptr;
  const unsigned long long number = std::strtoull(text, &end, 0);
  if (end == text) return false;
  value = number != 0;
  return true;
}

bool readDottedAddress(const char* text, std::size_t length, uint32_t& address) {
  if (text == nullptr || length < 7 || length > 15) return false;
  std::size_t starts[4] = {};
  int dots = 0;
  int runs = 0;
  std::size_t runLength = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const char c = text[i];
    if (c == '.') {
      if (i == 0 || text[i - 1] == '.' || ++dots > 3) return false;
      runLength = 0;
    } else if (c >= '0' && c <= '9') {
      if (runLength == 0) {
        if (runs == 4) return false;
        starts[runs++] = i;
      }
      if (++runLength > 3) return false;
    } else {
      return false;
    }
  }
  if (dots != 3 || runs != 4) return false;
  uint32_t value = 0;
  for (const std::size_t start : starts) {
    std::string run;
    for (std::size_t i = start; i < length && text[i] != '.'; ++i) run += text[i];
    value = value << 8 | (std::strtoul(run.c_str(), nullptr, 0) & 0xFFu);
  }
  address = value;
  return true;
}

uint32_t serialHash(const char* text) {
  uint32_t hash = 5381;
  for (const char* c = text; c != nullptr && *c != '\0'; ++c)
    hash = (hash * 33u) ^ static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(*c)));
  return hash;
}

}  // namespace kst::config
