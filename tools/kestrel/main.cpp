// kestrel: the command-line tool for the Kestrel USB debug probe.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>

#include "command_line.h"
#include "commands.h"
#include "exit_status.h"
#include "private_library.h"
#include "sim_loader.h"
#include "update_image.h"

namespace {

// Colour on standard output only where a person reads it.
bool colourTerminal() {
  const char* term = std::getenv("TERM");
  return isatty(STDOUT_FILENO) == 1 && std::getenv("NO_COLOR") == nullptr && term != nullptr &&
         std::string(term) != "dumb";
}

// Under --json standard output carries the document alone: everything else written there
// (such as the library's firmware-update notice) goes to standard error instead, and the
// document is written to the original standard output at the end.
class JsonStdout {
 public:
  JsonStdout() : saved_(dup(STDOUT_FILENO)) {
    std::fflush(stdout);
    if (saved_ >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
  }
  ~JsonStdout() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }
  void write(const std::string& document) {
    const int fd = saved_ >= 0 ? saved_ : STDOUT_FILENO;
    for (std::size_t done = 0; done < document.size();) {
      const ssize_t n = ::write(fd, document.data() + done, document.size() - done);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }
  JsonStdout(const JsonStdout&) = delete;
  JsonStdout& operator=(const JsonStdout&) = delete;

 private:
  int saved_;
};

struct Refusal {
  int status = tool::kExitOk;
  std::string why;
};

// Runs the command again on a private copy of the library where it needs one (true, with the
// status in ran), or says why it cannot. The image of update --image is checked first, so a
// file that is no image is neither copied nor handed on.
bool ranPrivately(const tool::Options& options, char** argv, int& ran, Refusal& refusal) {
  std::string error;
  if (tool::inPrivateRun(error) || !tool::needsPrivateLibrary(options)) {
    if (!error.empty()) refusal = {tool::kExitInternal, error};
    return false;
  }
  std::string image = options.image;
  if (!image.empty()) {
    const tool::ImageCheck check = tool::checkImage(image);
    if (check.status != tool::kExitOk) {
      refusal = {check.status, check.error};
      return false;
    }
  } else if (image = tool::virtualProbeImagePath(); access(image.c_str(), R_OK) != 0) {
    image.clear();  // an update in the run says that it is missing
  }
  const tool::PrivateRun again = tool::runOnPrivateLibrary(argv, image);
  if (!again.ran) {
    refusal = {again.status, again.error};
    return false;
  }
  ran = again.status;
  return true;
}

int run(int argc, char** argv) {
  tool::Options options;
  const int parsed = tool::parseCommandLine(argc, argv, options, std::cout, std::cerr);
  if (parsed != tool::kRunCommand) return parsed;
  int ran = 0;
  Refusal refusal;
  if (ranPrivately(options, argv, ran, refusal)) return ran;
  const auto command = [&](tool::Console& console) {
    return refusal.status != tool::kExitOk
               ? tool::refuseCommand(options, console, refusal.status, refusal.why)
               : tool::runCommand(options, console);
  };
  if (!options.json) {
    tool::Console console(std::cout, std::cerr, options, colourTerminal(),
                          isatty(STDOUT_FILENO) == 1);
    return command(console);
  }
  JsonStdout stdoutGuard;
  std::ostringstream document;
  tool::Console console(document, std::cerr, options, false);
  const int status = command(console);
  std::cout.flush();
  stdoutGuard.write(document.str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kestrel: internal error: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "kestrel: internal error\n");
  }
  return tool::kExitInternal;
}
