// Finding the TAPs of a scan chain: IDCODE or BYPASS from the data registers after reset,
// IR lengths from the instruction registers' capture pattern.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kestrel/kst_types.h"

namespace tool {

struct DetectedTap {
  bool hasIdcode = false;
  uint32_t idcode = 0;
  int irLength = -1;  // -1: the capture pattern did not tell
};

struct ChainReport {
  std::vector<DetectedTap> taps;  // position 0 nearest TDO
  std::size_t totalIrLength = 0;
};

constexpr std::size_t kMaxTaps = 32;
constexpr std::size_t kMaxIrBits = 1024;

// Reads the data registers shifted out after reset while ones were shifted in: a 0 bit is
// a TAP in BYPASS, a 1 starts a 32-bit IDCODE, and an IDCODE of all ones is the ones shifted
// in, so the chain ends there. False when no end was found within the bits.
bool parseDataChain(const std::vector<uint8_t>& bits, std::size_t bitCount,
                    std::vector<DetectedTap>& taps);

// Splits the instruction registers' capture (totalIr bits, each register's bit 0 a 1 and
// the rest 0) into one length per TAP; lengths stay -1 when the pattern does not split.
void splitIrLengths(const std::vector<uint8_t>& capture, std::size_t totalIr,
                    std::vector<DetectedTap>& taps);

// The two things the detection asks of the chain, whoever drives the probe.
class ChainAccess {
 public:
  virtual ~ChainAccess() = default;
  // Test-Logic-Reset, then Run-Test/Idle.
  virtual int32_t reset() = 0;
  // One scan of bits through the instruction or the data registers, from and back to
  // Run-Test/Idle; out and in hold scanBytes(bits) bytes.
  virtual int32_t exchange(bool instruction, uint32_t bits, const uint8_t* out, uint8_t* in) = 0;
};

// The JTAG commands of an open probe.
class ProbeChain : public ChainAccess {
 public:
  explicit ProbeChain(KSTInform* probe) : probe_(probe) {}
  int32_t reset() override;
  int32_t exchange(bool instruction, uint32_t bits, const uint8_t* out, uint8_t* in) override;

 private:
  KSTInform* probe_;
};

// Bytes of a scan of bits: whole bytes, rounded up to an even count.
uint32_t scanBytes(std::size_t bits);

// Runs the detection; 0 or the failing command's result code.
int32_t detectChain(ChainAccess& chain, ChainReport& report, std::string& problem);
// The same through the JTAG commands on an open probe.
int32_t detectChain(KSTInform* probe, ChainReport& report, std::string& problem);

// One line per TAP, as the tool prints it.
std::string describeTap(std::size_t position, const DetectedTap& tap);

}  // namespace tool
