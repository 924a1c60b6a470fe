// Frequency codes: 2^e x (1 + m/64) MHz in the low 16 bits of a u32, e a signed byte in
// bits 15..8 and m the 64ths in bits 7..0. 0x10000 is the no-frequency code.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst::config {

constexpr uint32_t kNoFrequency = 0x10000;

constexpr uint32_t frequencyCode(int exponent, unsigned mantissa) {
  return (static_cast<uint32_t>(exponent) & 0xFFu) << 8 | (mantissa & 0xFFu);
}
constexpr int frequencyExponent(uint32_t code) {
  return static_cast<int8_t>(static_cast<uint8_t>(code >> 8));
}
constexpr unsigned frequencyMantissa(uint32_t code) {
  return code & 0xFFu;
}

// The codes the parser itself uses: the highest frequency it accepts and the divisors that
// scale values given in hertz and kilohertz. Constants, so they hold before any reading.
constexpr uint32_t kHighestFrequency = frequencyCode(6, 0);   // 64 MHz
constexpr uint32_t kHertzDivisor = frequencyCode(19, 58);     // 999,424: nearest to 10^6
constexpr uint32_t kKilohertzDivisor = frequencyCode(9, 61);  // 1,000

bool frequencyLess(uint32_t a, uint32_t b);
// a becomes a / b, mantissas subtracted linearly. False (a unchanged) when the quotient's
// exponent does not fit the signed byte.
bool frequencyDivide(uint32_t& a, uint32_t b);
// Hertz, truncated; saturates at the largest u64 for codes beyond it.
uint64_t frequencyHertz(uint32_t code);

// Parses a frequency text of length characters ("10", "12.5", "10MHz", "500kHz", "1000000Hz"):
// digits with at most one dot, then an optional unit; no exponent form.
// out holds kNoFrequency until a parse succeeds.
bool parseFrequency(const char* text, std::size_t length, uint32_t& out);

}  // namespace kst::config
