// Numbers on the command line: decimal, or hexadecimal after 0x.
#pragma once

#include <cstdint>
#include <string>

namespace tool {

// False for an empty text, a sign, anything after the digits, or a value past 64 bits.
bool parseNumber(const std::string& text, uint64_t& value);

}  // namespace tool
