// Boolean words, dotted IPv4 addresses and the serial hash.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst::config {

// "yes", "High", "TRUE"... or a number (0x hexadecimal, 0 octal, else decimal; non-zero is
// true; anything after the number ignored). False when the text is neither.
bool readBooleanWord(const char* text, bool& value);

// Four dot-separated numbers of up to 3 digits each, 7 to 15 characters in all; each number
// read with base detection and cut to 8 bits.
bool readDottedAddress(const char* text, std::size_t length, uint32_t& address);

// h = h * 33 XOR c from 5381, c each byte as a signed value.
uint32_t serialHash(const char* text);

}  // namespace kst::config
