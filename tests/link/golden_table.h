// Golden-byte tables for command families: each row is a call, the exact bytes it must send,
// a reply for the probe to give, and what the call must leave in its outputs. Every row is
// also run against a probe error and against every cut and extension of its reply.
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "probe_fixture.h"

namespace kstest {

// Where the rows' calls put their outputs; filled with a sentinel before each call.
struct OutputArea {
  uint32_t word1, word2;
  uint16_t half;
  uint8_t byte;
  uint8_t data[8], status[8];
};

inline Bytes operator+(Bytes left, const Bytes& right) {
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

struct GoldenRow {
  const char* name;
  std::function<int32_t()> call;
  uint8_t code;
  Bytes arguments;                 // the bytes after the command code
  Bytes reply;                     // the reply data the probe gives
  std::function<Bytes()> outputs;  // null: the call has none
  Bytes expected;                  // outputs after success
  Bytes onFailure = {};            // outputs after a failure; empty: as the caller left them
  unsigned timeoutMs = 4000;
};

class GoldenTest : public ProbeTest {
 protected:
  void SetUp() override;
  void runTable(const std::vector<GoldenRow>& rows);

  // Bytes of a little-endian value, for outputs.
  static Bytes le(uint64_t value, int bytes);

  OutputArea out{};
  KST_SMG_HANDLE handle_ = nullptr;

 private:
  Bytes runRow(const GoldenRow& row, int32_t result, int32_t expected,
               const ksim::FaultRule* fault);
};

}  // namespace kstest
