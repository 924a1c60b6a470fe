// kestrel: the command-line tool for the Kestrel USB debug probe.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "command_line.h"
#include "commands.h"
#include "exit_status.h"
#include "private_library.h"
#include "sim_loader.h"
#include "update_image.h"
#include "output_file.h"
#include "platform/os.h"

namespace {

// Colour on standard output only where a person reads it.
bool colourTerminal() {
  const char* term = std::getenv("TERM");
  return tool::os::isTerminal(STDOUT_FILENO) && std::getenv("NO_COLOR") == nullptr && term != nullptr &&
         std::string(term) != "dumb";
}

// Under --json standard output carries the document alone: everything else written there
// (such as the library's firmware-update notice) goes to standard error instead, and the
// document goes to the original standard output through a checked buffer.
class JsonStdout {
 public:
  JsonStdout() : saved_(dup(STDOUT_FILENO)), buffer_(saved_ >= 0 ? saved_ : STDOUT_FILENO) {
    std::fflush(stdout);
    if (saved_ >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
  }
  ~JsonStdout() {
    stream_.flush();
    if (saved_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }
  std::ostream& stream() { return stream_; }
  // errno of the first failed write, 0 when the document went out whole.
  int finish() {
    stream_.flush();
    return buffer_.error();
  }
  JsonStdout(const JsonStdout&) = delete;
  JsonStdout& operator=(const JsonStdout&) = delete;

 private:
  int saved_;
  tool::DescriptorBuffer buffer_;
  std::ostream stream_{&buffer_};
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

// Standard output's own writes, after everything went to it.
int stdoutFailure() {
  std::cout.flush();
  if (std::fflush(stdout) != 0) return errno;
  return !std::cout || std::ferror(stdout) != 0 ? -1 : 0;  // failed earlier, errno gone
}

int outputFailed(int error) {
  std::fprintf(stderr, "kestrel: %s\n",
               tool::writeFailure("standard output", error > 0 ? error : 0).c_str());
  return tool::kExitIo;
}

// A refused command line (or --help, --version) under --json: its document.
int refusedAsJson(int status, const std::string& out, const std::string& err) {
  JsonStdout stdoutGuard;
  stdoutGuard.stream() << tool::unrunDocument(status, out, err);
  const int error = stdoutGuard.finish();
  return error == 0 ? status : outputFailed(error);
}

int run(int argc, char** argv) {
  tool::Options options;
  const bool json = tool::jsonAsked(argc, argv);
  if (json) {
    std::ostringstream out, err;
    const int parsed = tool::parseCommandLine(argc, argv, options, out, err);
    std::cerr << err.str();
    if (parsed != tool::kRunCommand) return refusedAsJson(parsed, out.str(), err.str());
  } else if (const int parsed = tool::parseCommandLine(argc, argv, options, std::cout, std::cerr);
             parsed != tool::kRunCommand) {
    const int error = stdoutFailure();
    return error != 0 ? outputFailed(error) : parsed;
  }
  int ran = 0;
  Refusal refusal;
  if (ranPrivately(options, argv, ran, refusal)) return ran;
  const auto command = [&](tool::Console& console) {
    return refusal.status != tool::kExitOk
               ? tool::refuseCommand(options, console, refusal.status, refusal.why)
               : tool::runCommand(options, console);
  };
  if (json) {
    JsonStdout stdoutGuard;
    tool::Console console(stdoutGuard.stream(), std::cerr, options, false);
    const int status = command(console);
    std::cout.flush();
    const int error = stdoutGuard.finish();
    return error == 0 ? status : outputFailed(error);
  }
  tool::Console console(std::cout, std::cerr, options, colourTerminal(),
                        tool::os::isTerminal(STDOUT_FILENO));
  const int status = command(console);
  const int error = stdoutFailure();
  // A command that stopped on standard output's failure has said so already.
  if (error != 0 && status != tool::kExitIo) return outputFailed(error);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // The last resort: whatever escaped is a fault of the tool, and its text is no message for
  // a user.
  try {
    tool::os::useBinaryStandardStreams();
    return run(argc, argv);
  } catch (...) {
    std::fprintf(stderr, "kestrel: internal error\n");
  }
  return tool::kExitInternal;
}
