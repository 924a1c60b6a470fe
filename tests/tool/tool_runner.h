// Runs the kestrel tool in this process, as its main would, and keeps what it wrote.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "kestrel/command_line.h"
#include "kestrel/commands.h"

namespace tooltest {

struct Outcome {
  int status;
  std::string out, err;
};

inline Outcome kestrel(std::vector<const char*> words) {
  words.insert(words.begin(), "kestrel");
  tool::Options options;
  std::ostringstream out, err;
  int status =
      tool::parseCommandLine(static_cast<int>(words.size()), words.data(), options, out, err);
  if (status == tool::kRunCommand) {
    tool::Console console(out, err, options, false);
    status = tool::runCommand(options, console);
  } else if (tool::jsonAsked(static_cast<int>(words.size()), words.data())) {
    return {status, tool::unrunDocument(status, out.str(), err.str()), err.str()};
  }
  return {status, out.str(), err.str()};
}

}  // namespace tooltest
