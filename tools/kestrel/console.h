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

  // Human-readable output: standard output, or nowhere under --json (--quiet keeps it).
  std::ostream& text();
  // Extra detail for -v on standard error (level: how many -v it needs).
  std::ostream& detail(int level);
  // "kestrel: message" on standard error; also the document's error under --json.
  void error(const std::string& message);

  // "kestrel: warning: message" on standard error unless --quiet; also in the document's
  // "warnings" under --json.
  void warn(const std::string& message);

  // The document of this run (under --json); commands fill its fields.
  nlohmann::json& document() { return document_; }
  // Under --json, writes the document with the exit status to standard output. Texts that
  // are not UTF-8 (arguments, file names, what a device sent) are written with U+FFFD in
  // place of their bad bytes: the document is valid whatever they hold.
  int finish(int status);
  // Under --json, starts the document with a string field whose text is too large to hold:
  // it is written to the returned stream as it comes (JSON string characters only), and
  // finish() closes it and adds the other fields. Elsewhere a stream that discards it.
  std::ostream& streamField(const std::string& name);
  // A line on standard error that --quiet hides (notices, warnings).
  std::ostream& notice();

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
  bool streaming_ = false;
  nlohmann::json document_;
};

}  // namespace tool
