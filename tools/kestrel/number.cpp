#include "number.h"

namespace tool {

bool parseNumber(const std::string& text, uint64_t max, uint64_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const uint64_t base = hex ? 16 : 10;
  if (text.empty()) return false;
  uint64_t result = 0;
  for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i) {
    const char c = text[i];
    const int value = hexDigit(c);
    if (value < 0 || static_cast<uint64_t>(value) >= base) return false;
    const uint64_t digit = static_cast<uint64_t>(value);
    if (digit > max || result > (max - digit) / base) return false;
    result = result * base + digit;
  }
  value = result;
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace tool
