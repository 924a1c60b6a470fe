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

// Runs the detection on an open probe; 0 or the failing command's result code.
int32_t detectChain(KSTInform* probe, ChainReport& report, std::string& problem);

// One line per TAP, as the tool prints it.
std::string describeTap(std::size_t position, const DetectedTap& tap);

}  // namespace tool
