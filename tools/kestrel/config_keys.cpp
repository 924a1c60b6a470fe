#include "config_keys.h"

#include <algorithm>
#include <cctype>

namespace tool {
namespace {

// Levenshtein distance, case ignored.
std::size_t distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      const std::size_t next = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = row[j];
      row[j] = next;
    }
  }
  return row[b.size()];
}

}  // namespace

std::vector<std::string> unknownKeyWarnings(const std::vector<std::string>& fileKeys,
                                            const std::vector<std::string>& knownKeys) {
  std::vector<std::string> warnings;
  for (const std::string& key : fileKeys) {
    if (std::find(knownKeys.begin(), knownKeys.end(), key) != knownKeys.end()) continue;
    std::string nearest;
    std::size_t best = key.size() / 3 + 1;  // more edits than a third of the key: no guess
    for (const std::string& known : knownKeys) {
      const std::size_t d = distance(key, known);
      if (d <= best && (nearest.empty() || d < best)) {
        best = d;
        nearest = known;
      }
    }
    warnings.push_back("unknown key " + key +
                       (nearest.empty() ? std::string(" (ignored)") : "; did you mean " + nearest + "?"));
  }
  return warnings;
}

}  // namespace tool
