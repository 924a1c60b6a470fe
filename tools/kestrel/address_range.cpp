#include "address_range.h"

#include <cstdio>

namespace tool {

uint64_t highestAddress(AddressFamily family) {
  return family == AddressFamily::Bits32 ? UINT32_MAX : UINT64_MAX;
}

std::string rangeProblem(uint64_t address, uint64_t length, AddressFamily family) {
  const uint64_t highest = highestAddress(family);
  const bool fits = address <= highest && (length == 0 || length - 1 <= highest - address);
  if (fits) return {};
  const char* space = family == AddressFamily::Bits32 ? "32-bit" : "64-bit";
  return hexAddress(address) + " + " + std::to_string(length) +
         " bytes runs past the end of the " + space + " address space";
}

std::string hexAddress(uint64_t address) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(address));
  return text;
}

}  // namespace tool
