// Numbers on the command line: decimal, or hexadecimal after 0x.
#pragma once

#include <cstdint>
#include <string>

namespace tool {

// Reads text as a whole number no greater than max. Leading zeros are decimal (010 is ten):
// C's octal reading surprises more people than it serves. False for anything else, including
// signs, blanks and an empty text.
bool parseNumber(const std::string& text, uint64_t max, uint64_t& value);

// The value of a hexadecimal digit of either case, or -1.
int hexDigit(char c);

}  // namespace tool
