// The kestrel tool's subcommands. Each returns the process exit code.
#pragma once

#include <cstdint>
#include <string>

#include "options.h"

namespace tool {

int runInfo(const Options& options);
int runJtagDetect(const Options& options);
int runDapInfo(const Options& options);
int runPowerInfo(const Options& options);

// Addresses and lengths as the user typed them: parsed (and refused with the usage exit
// status) by the subcommand.
struct MemReadRequest {
  std::string address, length;
  std::string outFile;  // empty: a hexdump on standard output
  uint8_t ap = 0;
};
struct MemWriteRequest {
  std::string address, file;
  bool verify = false;
  uint8_t ap = 0;
};
int runMemRead(const Options& options, const MemReadRequest& request);
int runMemWrite(const Options& options, const MemWriteRequest& request);

}  // namespace tool
