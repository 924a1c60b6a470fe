#include "options.h"

#include <cstdlib>

namespace tool {
namespace {

// Command lines and their results; records of the probe's log only for failed commands.
constexpr int kDefaultTraceLevel = 3;

}  // namespace

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = "option " + word + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    if (word == "--sim") {
      options.sim = true;
    } else if (word == "--trace") {
      options.traceLevel = kDefaultTraceLevel;
    } else if (word.rfind("--trace=", 0) == 0) {
      const std::string level = word.substr(8);
      if (level.size() != 1 || level[0] < '1' || level[0] > '6') {
        error = "--trace takes a level from 1 to 6, not '" + level + "'";
        return false;
      }
      options.traceLevel = level[0] - '0';
    } else if (word == "--trace-file") {
      if (!value(options.traceFile)) return false;
      if (options.traceLevel == 0) options.traceLevel = kDefaultTraceLevel;
    } else if (word == "--out") {
      if (!value(options.outFile)) return false;
    } else if (word == "--verify") {
      options.verify = true;
    } else if (word == "--serial") {
      if (!value(options.serial)) return false;
    } else if (word == "--index") {
      std::string text;
      if (!value(text)) return false;
      char* end = nullptr;
      const unsigned long index = std::strtoul(text.c_str(), &end, 0);
      if (text.empty() || *end != '\0' || index > UINT32_MAX) {
        error = "--index takes a number, not '" + text + "'";
        return false;
      }
      options.index = static_cast<uint32_t>(index);
    } else if (word.size() > 1 && word[0] == '-') {
      error = "unknown option " + word;
      return false;
    } else {
      options.words.push_back(word);
    }
  }
  return true;
}

}  // namespace tool
