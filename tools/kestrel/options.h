// Command-line options shared by every subcommand of the kestrel tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

struct Options {
  bool sim = false;                // run on the virtual probe instead of the real USB bus
  uint32_t index = 0;              // probe index among probes of one identity
  std::string serial;              // probe serial number (empty: by index)
  int traceLevel = 0;              // logger level for --trace (0: leave the logger alone)
  std::string traceFile;           // --trace-file: trace lines go there instead of stderr
  std::string outFile;             // mem read --out: the bytes go to this file
  bool verify = false;             // mem write --verify: read back and compare
  std::vector<std::string> words;  // the subcommand and its arguments
};

// Parses argv; false (with a message in error) on an unknown option or a missing value.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

}  // namespace tool
