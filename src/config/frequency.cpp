#include "frequency.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kst::config {
namespace {

enum class Unit { Megahertz, Kilohertz, Hertz };

bool endsWithIgnoringCase(const char* text, std::size_t length, const char* suffix) {
  const std::size_t suffixLength = std::strlen(suffix);
  if (length < suffixLength) return false;
  for (std::size_t i = 0; i < suffixLength; ++i) {
    if (std::toupper(static_cast<unsigned char>(text[length - suffixLength + i])) !=
        std::toupper(static_cast<unsigned char>(suffix[i])))
      return false;
  }
  return true;
}

// Exact conversion of "<integer>.0" and "<integer>.5" megahertz.
bool parseHalfMegahertz(const std::string& number, std::size_t dot, uint32_t& code) {
  const std::string integer = number.substr(0, dot);
  errno = 0;
  // Base 0: a leading 0 makes the integer octal, and reading stops at the first digit that
  // is not octal, as the C library reads it ("09.5" reads 0).
  const unsigned long long whole = std::strtoull(integer.c_str(), nullptr, 0);
  if (errno == ERANGE) return false;
  constexpr unsigned long long kLowest = 500000, kHighest = 127999999;
  if (whole > kHighest / 1000000) return false;
  const unsigned long long hertz = whole * 1000000 + (number[dot + 1] == '5' ? 500000 : 0);
  if (hertz < kLowest || hertz > kHighest) return false;
  int exponent = 0;
  unsigned long long base = 1000000;
  if (hertz < base) {
    base = 500000;
    exponent = -1;
  } else {
    while (hertz - base >= base) {
      base *= 2;
      ++exponent;
    }
  }
  const double mantissa = static_cast<double>(hertz - base) * 64.0 / static_cast<double>(base);
  code = frequencyCode(exponent, static_cast<unsigned>(mantissa));
  return true;
}

// The general form: any decimal the C library reads, rounded to the nearest 64th.
bool parseGeneral(const std::string& number, uint32_t& code) {
  const double value = std::strtod(number.c_str(), nullptr);
  if (value == 0.0 || !std::isfinite(value)) return false;
  int k = 0;
  const double fraction = std::frexp(value, &k);
  const int exponent = k - 1;
  // A value whose exponent does not fit the signed byte has no code: refused.
  if (exponent < -128 || exponent > 127) return false;
  const unsigned mantissa = static_cast<unsigned>((2.0 * fraction - 1.0) * 64.0 + 0.5);
  code = frequencyCode(exponent, mantissa);
  return true;
}

}  // namespace

bool frequencyLess(uint32_t a, uint32_t b) {
  const int ea = frequencyExponent(a), eb = frequencyExponent(b);
  return ea < eb || (ea == eb && frequencyMantissa(a) < frequencyMantissa(b));
}

bool frequencyDivide(uint32_t& a, uint32_t b) {
  int exponent = frequencyExponent(a) - frequencyExponent(b);
  int mantissa = static_cast<int>(frequencyMantissa(a)) - static_cast<int>(frequencyMantissa(b));
  if (mantissa < 0) {
    mantissa += 64;
    --exponent;
  }
  if (exponent < INT8_MIN || exponent > INT8_MAX) return false;
  a = frequencyCode(exponent, static_cast<unsigned>(mantissa));
  return true;
}

uint64_t frequencyHertz(uint32_t code) {
  const double hertz =
      std::ldexp(1.0 + frequencyMantissa(code) / 64.0, frequencyExponent(code)) * 1000000.0;
  constexpr double kLargest = 18446744073709551615.0;  // rounds to 2^64
  return hertz >= kLargest ? UINT64_MAX : static_cast<uint64_t>(hertz);
}

bool parseFrequency(const char* text, std::size_t length, uint32_t& out) {
  out = kNoFrequency;
  if (text == nullptr || length == 0) return false;
  const std::size_t textLength = strnlen(text, length);
  if (textLength != length) return false;  // a NUL inside the text

  Unit unit = Unit::Megahertz;
  std::size_t numberLength = length;
  bool hasUnit = false;
  if (length >= 4 && endsWithIgnoringCase(text, length, "MHz")) {
    numberLength = length - 3;
    hasUnit = true;
  } else if (length >= 4 && endsWithIgnoringCase(text, length, "kHz")) {
    unit = Unit::Kilohertz;
    numberLength = length - 3;
    hasUnit = true;
  } else if (length >= 3 && endsWithIgnoringCase(text, length, "Hz")) {
    unit = Unit::Hertz;
    numberLength = length - 2;
    hasUnit = true;
  }
  const std::string number(text, numberLength);
  const std::size_t dot = number.find('.');
  if (number.empty() || (dot != std::string::npos && dot + 1 == number.size())) return false;
  for (std::size_t i = 0; i < number.size(); ++i) {
    const bool digit = number[i] >= '0' && number[i] <= '9';
    if (!digit && i != dot) return false;
  }

  uint32_t code = kNoFrequency;
  const bool halfMegahertz = !hasUnit && dot != std::string::npos && dot + 2 == number.size() &&
                             (number[dot + 1] == '0' || number[dot + 1] == '5');
  if (halfMegahertz) {
    if (!parseHalfMegahertz(number, dot, code)) return false;
  } else {
    if (!parseGeneral(number, code)) return false;
    if (unit != Unit::Megahertz) {
      const uint32_t divisor = unit == Unit::Hertz ? kHertzDivisor : kKilohertzDivisor;
      // A value so small that the quotient has no code is refused too.
      if (frequencyLess(divisor, code) || !frequencyDivide(code, divisor)) return false;
      out = code;
      return true;
    }
  }
  if (frequencyLess(kHighestFrequency, code)) return false;
  out = code;
  return true;
}

}  // namespace kst::config
