// Runs the kestrel tool in this process, as its main would, and keeps what it wrote; and what
// the tests of whole runs share: a fresh virtual bus with one probe, files in the temporary
// directory, the commands a probe was sent.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "kestrel/command_line.h"
#include "kestrel/commands.h"
#include "kestrel/exit_status.h"
#include "kestrel_sim/sim.h"
#include "support/portable.h"

namespace tooltest {

using nlohmann::json;

struct Outcome {
  int status;
  std::string out, err;
  json document() const { return json::parse(out); }  // throws on anything but one document
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

// A probe with the demo chain behind it.
inline ksim::ProbeConfig demoProbe(const char* serial = "KST00001", bool failOpen = false) {
  ksim::ProbeConfig config;
  config.serial = serial;
  config.failOpen = failOpen;
  config.chain = ksim::demoChain();
  return config;
}

// The probe alone on a fresh bus.
inline ksim::DeviceId onlyProbe(const ksim::ProbeConfig& config = demoProbe()) {
  ksim::reset();
  return ksim::attachProbe(config);
}

// The packets the probe was sent with one of these command codes.
inline int commandsSent(ksim::DeviceId probe, std::initializer_list<uint8_t> codes) {
  int count = 0;
  for (const std::vector<uint8_t>& packet : ksim::commandPackets(probe))
    count += packet.size() > 3 && std::find(codes.begin(), codes.end(), packet[3]) != codes.end();
  return count;
}

// A file of this process in the temporary directory (CTest runs the tests in parallel),
// removed when the process ends; its path.
inline std::string file(const std::string& name, const std::string& content) {
  static struct Created {
    std::vector<std::string> paths;
    ~Created() {
      for (const std::string& path : paths) std::remove(path.c_str());
    }
  } created;
  const std::string path =
      ::testing::TempDir() + "kestrel-" + std::to_string(kstest::processId()) + "-" + name;
  created.paths.push_back(path);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

inline std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Whether text holds part; the text for the failure's message.
inline ::testing::AssertionResult holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "'" << part << "' not in:\n" << text;
}

}  // namespace tooltest
