// kestrel jtag detect: reset the chain and list its TAPs.
#include <cstdio>

#include "commands.h"
#include "jtag_detect.h"
#include "kestrel/kestrel.h"
#include "probe_session.h"
#include "result_text.h"

namespace tool {

int runJtagDetect(const Options& options) {
  ProbeSession session(options);
  if (!session.open()) return 1;
  ChainReport report;
  std::string problem;
  const int32_t result = detectChain(session.probe(), report, problem);
  if (result != KST_OK) {
    std::fprintf(stderr, "kestrel: chain detection failed: %s\n", resultText(result).c_str());
    return 1;
  }
  if (!problem.empty()) {
    std::fprintf(stderr, "kestrel: %s\n", problem.c_str());
    return 1;
  }
  std::printf("%zu TAP%s, IR %zu bits in all\n", report.taps.size(),
              report.taps.size() == 1 ? "" : "s", report.totalIrLength);
  for (std::size_t i = 0; i < report.taps.size(); ++i)
    std::printf("%s\n", describeTap(i, report.taps[i]).c_str());
  return 0;
}

}  // namespace tool
