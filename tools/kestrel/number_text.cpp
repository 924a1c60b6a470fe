#include "number_text.h"

#include <cctype>

namespace tool {

bool parseNumber(const std::string& text, uint64_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const unsigned base = hex ? 16 : 10;
  const std::size_t first = hex ? 2 : 0;
  if (text.size() == first) return false;
  uint64_t result = 0;
  for (std::size_t i = first; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned digit = 0;
    if (std::isdigit(c))
      digit = c - '0';
    else if (hex && std::isxdigit(c))
      digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
    else
      return false;
    if (result > (UINT64_MAX - digit) / base) return false;
    result = result * base + digit;
  }
  value = result;
  return true;
}

}  // namespace tool
