#include "private_library.h"

#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "exit_status.h"
#include "kestrel/kst_probe.h"

namespace tool {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMarker = "KESTREL_PRIVATE_LIBRARY";
constexpr const char* kLogger = "libnimbus_logger.so";

// The loaded library's file as the loader found it (its soname, in its directory).
bool loadedLibrary(fs::path& file) {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&KST_Open), &info) == 0 || info.dli_fname == nullptr)
    return false;
  file = info.dli_fname;
  return true;
}

bool sameDirectory(const fs::path& a, const fs::path& b) {
  std::error_code failed;
  return fs::equivalent(a, b, failed);
}

// The copy: <temporary>/lib/ with the library under its loaded name, the logger when one is
// beside the library, and kestrel/firmware_3.0.0.29.bin. Nothing in <temporary>/bin/, where
// the library would look for a libusb first.
bool makeCopy(const fs::path& root, const std::string& image, std::string& error) {
  fs::path library;
  if (!loadedLibrary(library)) {
    error = "cannot find the file of the loaded libjsckestrel";
    return false;
  }
  const fs::path lib = root / "lib";
  std::error_code failed;
  fs::create_directories(lib / "kestrel", failed);
  if (!failed) fs::copy_file(library, lib / library.filename(), failed);
  const fs::path logger = library.parent_path() / kLogger;
  if (!failed && fs::exists(logger, failed)) fs::copy_file(logger, lib / kLogger, failed);
  if (!failed && !image.empty())
    fs::copy_file(image, lib / "kestrel" / "firmware_3.0.0.29.bin", failed);
  if (failed) error = "cannot make a private copy of the library in " + root.string() + ": " +
                      failed.message();
  return !failed;
}

int statusOf(int wait) {
  if (WIFEXITED(wait)) return WEXITSTATUS(wait);
  if (WIFSIGNALED(wait)) return 128 + WTERMSIG(wait);
  return kExitInternal;
}

// Runs argv again with the copy first in the loader's path; its exit status. Like system(),
// the waiting parent ignores the terminal's interrupt: the run decides what it means, and the
// parent is left to remove the copy.
int runAgain(char** argv, const fs::path& lib, std::string& error) {
  struct sigaction ignore {}, savedInt{}, savedQuit{};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &savedInt);
  sigaction(SIGQUIT, &ignore, &savedQuit);
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    sigaction(SIGINT, &savedInt, nullptr);
    sigaction(SIGQUIT, &savedQuit, nullptr);
    std::string path = lib.string();
    if (const char* before = std::getenv("LD_LIBRARY_PATH"); before != nullptr && *before != 0)
      path += std::string(":") + before;
    setenv("LD_LIBRARY_PATH", path.c_str(), 1);
    setenv(kMarker, lib.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::fprintf(stderr, "kestrel: cannot run itself again on the private library copy\n");
    _exit(kExitInternal);
  }
  int wait = 0;
  const bool waited = child > 0 && waitpid(child, &wait, 0) == child;
  sigaction(SIGINT, &savedInt, nullptr);
  sigaction(SIGQUIT, &savedQuit, nullptr);
  if (!waited) {
    error = "cannot run itself again on the private library copy";
    return -1;
  }
  return statusOf(wait);
}

}  // namespace

bool needsPrivateLibrary(const Options& options) {
  return options.sim || (options.command == Command::Update && !options.image.empty());
}

bool inPrivateRun(std::string& error) {
  const char* marked = std::getenv(kMarker);
  if (marked == nullptr) return false;
  fs::path library;
  if (loadedLibrary(library) && sameDirectory(library.parent_path(), marked)) return true;
  error = "the private copy of the library in " + std::string(marked) +
          " was not loaded (does the program carry an RPATH instead of a RUNPATH?)";
  return false;
}

PrivateRun runOnPrivateLibrary(char** argv, const std::string& image) {
  PrivateRun run;
  std::error_code failed;
  fs::path temporary = fs::temp_directory_path(failed);
  if (failed) temporary = "/tmp";
  std::string root = (temporary / "kestrel-XXXXXX").string();
  if (mkdtemp(&root[0]) == nullptr) {
    run.status = kExitIo;
    run.error = "cannot create a private directory in " + temporary.string();
    return run;
  }
  if (!makeCopy(root, image, run.error)) {
    run.status = kExitIo;
  } else {
    run.status = runAgain(argv, fs::path(root) / "lib", run.error);
    run.ran = run.status >= 0;
    if (!run.ran) run.status = kExitInternal;
  }
  fs::remove_all(root, failed);
  return run;
}

}  // namespace tool
