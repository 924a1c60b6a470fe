#include "ratio_guard.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace kstbench {

constexpr double kMostGrowth = 2.0;

bool readBaseline(const std::string& path, std::vector<BaselineRatio>& baseline,
                  std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    BaselineRatio entry{};
    fields >> entry.ratio >> std::ws;
    std::getline(fields, entry.name);
    if (fields.fail() || entry.ratio <= 0 || entry.name.empty()) {
      error = path + ":" + std::to_string(number) + ": expected \"RATIO COMMAND NAME\"";
      return false;
    }
    baseline.push_back(entry);
  }
  return true;
}

bool checkRatios(const std::vector<RatioResult>& results,
                 const std::vector<BaselineRatio>& baseline, std::string& report) {
  bool passed = true;
  char line[160];
  for (const BaselineRatio& entry : baseline) {
    const RatioResult* found = nullptr;
    for (const RatioResult& result : results)
      if (entry.name == result.row->name) found = &result;
    if (found == nullptr || found->floorNs <= 0 || found->libraryNs <= 0) {
      report += "  " + entry.name + ": not measured\n";
      passed = false;
      continue;
    }
    const double ratio = found->libraryNs / found->floorNs;
    const bool held = ratio <= kMostGrowth * entry.ratio;
    std::snprintf(line, sizeof line, "  %-28s ratio %.3f, baseline %.3f: %s\n", entry.name.c_str(),
                  ratio, entry.ratio, held ? "ok" : "more than doubled");
    report += line;
    passed = passed && held;
  }
  return passed;
}

}  // namespace kstbench
