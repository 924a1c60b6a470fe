// The CI guard on the ratios: a committed baseline of library / floor per command, and the
// check that no ratio has more than doubled. Only ratios are compared, never times, so the
// guard holds on any machine and under any load that weighs on both sides alike.
#pragma once

#include <string>
#include <vector>

#include "ratio_benchmarks.h"

namespace kstbench {

// Lines "RATIO COMMAND NAME"; '#' starts a comment. False when the file cannot be read or a
// line is not of that form.
struct BaselineRatio {
  double ratio;
  std::string name;
};
bool readBaseline(const std::string& path, std::vector<BaselineRatio>& baseline,
                  std::string& error);

// One line per command compared; false when a ratio is more than twice its baseline or a
// command of the baseline was not measured. Commands not in the baseline are only shown.
bool checkRatios(const std::vector<RatioResult>& results,
                 const std::vector<BaselineRatio>& baseline, std::string& report);

}  // namespace kstbench
