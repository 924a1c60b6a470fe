// The maker's microcontrollers that carry the Corvid bootloader, by the part code the
// bootloader reports in bits 23..16 of its part word.
#pragma once

#include <cstdint>

namespace kst::update {

struct PartRow {
  uint8_t code;
  uint32_t number;
  const char* name;  // at most 9 characters
};

constexpr int kPartCount = 44;

// The first row with the code, or null.
const PartRow* findPart(uint8_t code);

// The whole table, for its checks.
const PartRow* partTable();

}  // namespace kst::update
