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
  return options_.json ? discard_ : out_;
}

std::ostream& Console::detail(int level) {
  return options_.verbosity >= level ? err_ : discard_;
}

void Console::error(const std::string& message) {
  err_ << "kestrel: " << message << '\n';
  if (options_.json) document_["error"] = message;
}

void Console::warn(const std::string& message) {
  if (options_.json) document_["warnings"].push_back(message);
  else notice() << "kestrel: warning: " << message << '\n';
}

std::ostream& Console::notice() {
  return options_.quiet || options_.json ? discard_ : err_;
}

std::ostream& Console::streamField(const std::string& name) {
  if (!options_.json) return discard_;
  streaming_ = true;
  out_ << "{\n  " << nlohmann::json(name).dump() << ": \"";
  return out_;
}

int Console::finish(int status) {
  if (options_.json) {
    document_["exit_status"] = status;
    const std::string text = document_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    // The rest of the document follows the streamed field: its members without the "{".
    if (streaming_) out_ << "\"," << text.substr(1) << '\n';
    else out_ << text << '\n';
    streaming_ = false;
  }
  return status;
}

std::string Console::paint(const std::string& text, Colour colour) const {
  if (!colour_) return text;
  return "\033[" + std::to_string(static_cast<int>(colour)) + "m" + text + "\033[0m";
}

}  // namespace tool
