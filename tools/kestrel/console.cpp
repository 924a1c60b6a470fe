#include "console.h"

namespace tool {

Console::Console(std::ostream& out, std::ostream& err, const Options& options, bool colour,
                 bool terminal)
    : out_(out),
      err_(err),
      options_(options),
      colour_(colour && !options.json),
      terminal_(terminal && !options.json && !options.quiet) {
  document_ = {{"schema_version", kJsonSchemaVersion}};
}

std::ostream& Console::text() {
  return options_.json || options_.quiet ? discard_ : out_;
}

std::ostream& Console::detail(int level) {
  return options_.verbosity >= level ? err_ : discard_;
}

void Console::error(const std::string& message) {
  err_ << "kestrel: " << message << '\n';
  if (options_.json) document_["error"] = message;
}

int Console::finish(int status) {
  if (options_.json) {
    document_["exit_status"] = status;
    out_ << document_.dump(2) << '\n';
  }
  return status;
}

std::string Console::paint(const std::string& text, Colour colour) const {
  if (!colour_) return text;
  return "\033[" + std::to_string(static_cast<int>(colour)) + "m" + text + "\033[0m";
}

}  // namespace tool
