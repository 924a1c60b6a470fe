// Where a subcommand's output goes: text or one JSON document on standard output, errors and
// notes on standard error, colour only on a terminal.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "options.h"

namespace tool {

// Version of the JSON documents' layout; raised when a field changes meaning or goes away.
constexpr int kJsonSchemaVersion = 1;

class Console {
 public:
  // colour: standard output is a terminal that takes colour (never under --json); terminal:
  // standard output is a terminal, where output may be redrawn in place.
  Console(std::ostream& out, std::ostream& err, const Options& options, bool colour,
          bool terminal = false);

  // Human-readable output: standard output, or nowhere under --json or --quiet.
  std::ostream& text();
  // Extra detail for -v on standard error (level: how many -v it needs).
  std::ostream& detail(int level);
  // "kestrel: message" on standard error; also the document's error under --json.
  void error(const std::string& message);

  // The document of this run (under --json); commands fill its fields.
  nlohmann::json& document() { return document_; }
  // Under --json, writes the document with the exit status to standard output.
  int finish(int status);

  enum class Colour { Green = 32, Yellow = 33, Red = 31 };
  std::string paint(const std::string& text, Colour colour) const;
  // A person watches standard output (a terminal, not --json, not --quiet): room for progress.
  bool watched() const { return terminal_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::ostream discard_{nullptr};
  const Options& options_;
  bool colour_;
  bool terminal_;
  nlohmann::json document_;
};

}  // namespace tool
