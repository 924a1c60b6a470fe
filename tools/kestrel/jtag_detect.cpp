#include "jtag_detect.h"

#include <cstdio>

#include "kestrel/kestrel.h"

namespace tool {
namespace {

constexpr std::size_t kIdcodeBits = 32;
constexpr uint32_t kNoDevice = 0xFFFFFFFF;

bool bitAt(const std::vector<uint8_t>& bits, std::size_t index) {
  return (bits[index / 8] >> (index % 8)) & 1;
}

int32_t exchange(ChainAccess& chain, bool instruction, const std::vector<uint8_t>& out,
                 std::size_t bits, std::vector<uint8_t>& in) {
  in.assign(scanBytes(bits), 0);
  return chain.exchange(instruction, static_cast<uint32_t>(bits), out.data(), in.data());
}

}  // namespace

uint32_t scanBytes(std::size_t bits) {
  return static_cast<uint32_t>(((bits + 15) / 16) * 2);
}

int32_t ProbeChain::reset() {
  int32_t result = KST_GotoJtagState(probe_, KST_STATE_TEST_LOGIC_RESET, 1);
  if (result == KST_OK) result = KST_GotoJtagState(probe_, KST_STATE_RUN_TEST_IDLE, 1);
  return result;
}

int32_t ProbeChain::exchange(bool instruction, uint32_t bits, const uint8_t* out, uint8_t* in) {
  const uint32_t bytes = scanBytes(bits);
  return KST_SendRecvScan(probe_, static_cast<uint16_t>(bits),
                          instruction ? KST_STATE_SHIFT_IR : KST_STATE_SHIFT_DR, 1,
                          KST_STATE_RUN_TEST_IDLE, 1, 0, 0, 0, 1, static_cast<uint16_t>(bytes),
                          static_cast<uint16_t>(bytes), out, in, bytes, bytes);
}

bool parseDataChain(const std::vector<uint8_t>& bits, std::size_t bitCount,
                    std::vector<DetectedTap>& taps) {
  taps.clear();
  std::size_t at = 0;
  while (taps.size() <= kMaxTaps && at < bitCount) {
    if (!bitAt(bits, at)) {
      taps.push_back(DetectedTap{});
      ++at;
      continue;
    }
    if (at + kIdcodeBits > bitCount) return false;
    uint32_t idcode = 0;
    for (std::size_t i = 0; i < kIdcodeBits; ++i)
      idcode |= static_cast<uint32_t>(bitAt(bits, at + i)) << i;
    if (idcode == kNoDevice) return true;
    taps.push_back(DetectedTap{true, idcode, -1});
    at += kIdcodeBits;
  }
  return false;
}

void splitIrLengths(const std::vector<uint8_t>& capture, std::size_t totalIr,
                    std::vector<DetectedTap>& taps) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < totalIr; ++i)
    if (bitAt(capture, i)) starts.push_back(i);
  if (taps.size() == 1) {
    taps[0].irLength = static_cast<int>(totalIr);
    return;
  }
  if (starts.size() != taps.size() || (!starts.empty() && starts[0] != 0)) return;
  for (std::size_t i = 0; i < taps.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : totalIr;
    taps[i].irLength = static_cast<int>(end - starts[i]);
  }
}

int32_t detectChain(KSTInform* probe, ChainReport& report, std::string& problem) {
  ProbeChain chain(probe);
  return detectChain(chain, report, problem);
}

int32_t detectChain(ChainAccess& chain, ChainReport& report, std::string& problem) {
  report = ChainReport{};
  int32_t result = chain.reset();
  if (result != KST_OK) return result;

  // Data registers after reset, with ones behind them to mark the end.
  const std::size_t drBits = (kMaxTaps + 1) * kIdcodeBits;
  std::vector<uint8_t> in;
  result = exchange(chain, false, std::vector<uint8_t>(scanBytes(drBits), 0xFF), drBits, in);
  if (result != KST_OK) return result;
  if (!parseDataChain(in, drBits, report.taps)) {
    problem = "the data registers show no end of the chain (TDO stuck, or over 32 TAPs)";
    return chain.reset();
  }

  // Instruction registers: zeros then ones; the first one back after the zeros measures the
  // whole chain's IR length, and what came out before it is the capture pattern.
  const std::size_t irBits = 2 * kMaxIrBits;
  std::vector<uint8_t> out(scanBytes(irBits), 0);
  for (std::size_t i = kMaxIrBits; i < irBits; ++i)
    out[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
  result = exchange(chain, true, out, irBits, in);
  if (result != KST_OK) return result;
  std::size_t firstOne = kMaxIrBits;
  while (firstOne < irBits && !bitAt(in, firstOne)) ++firstOne;
  if (firstOne == irBits) {
    problem = "the instruction registers show no end of the chain";
  } else {
    report.totalIrLength = firstOne - kMaxIrBits;
    splitIrLengths(in, report.totalIrLength, report.taps);
  }
  // Leave every TAP with its reset instruction again.
  return chain.reset();
}

std::string describeTap(std::size_t position, const DetectedTap& tap) {
  char text[160];
  char ir[24];
  if (tap.irLength >= 0)
    std::snprintf(ir, sizeof ir, "IR %d bits", tap.irLength);
  else
    std::snprintf(ir, sizeof ir, "IR length unknown");
  if (tap.hasIdcode) {
    std::snprintf(text, sizeof text,
                  "TAP %zu: IDCODE 0x%08X (manufacturer 0x%03X, part 0x%04X, version 0x%X), %s",
                  position, tap.idcode, (tap.idcode >> 1) & 0x7FF, (tap.idcode >> 12) & 0xFFFF,
                  tap.idcode >> 28, ir);
  } else {
    std::snprintf(text, sizeof text, "TAP %zu: no IDCODE (BYPASS after reset), %s", position, ir);
  }
  return text;
}

}  // namespace tool
