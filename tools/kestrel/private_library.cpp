#include "private_library.h"

#include <filesystem>
#include <system_error>

#include "exit_status.h"
#include "platform/os.h"

namespace tool {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMarker = "KESTREL_PRIVATE_LIBRARY";

// The loaded library's file as the loader found it (its soname, in its directory).
bool loadedLibrary(fs::path& file) {
  std::string name;
  if (!os::kestrelLibraryFile(name)) return false;
  file = name;
  return true;
}

bool sameDirectory(const fs::path& a, const fs::path& b) { return os::sameFile(a.string(), b.string()); }

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
  const fs::path logger = library.parent_path() / os::kLoggerName;
  if (!failed && fs::exists(logger, failed)) fs::copy_file(logger, lib / os::kLoggerName, failed);
  if (!failed && !image.empty())
    fs::copy_file(image, lib / "kestrel" / "firmware_3.0.0.29.bin", failed);
  if (failed) error = "cannot make a private copy of the library in " + root.string() + ": " +
                      failed.message();
  return !failed;
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
  std::string root;
  if (!os::makeTemporaryDirectory(root)) {
    run.status = kExitIo;
    run.error = "cannot create a private directory in " + fs::temp_directory_path(failed).string();
    return run;
  }
  if (!makeCopy(root, image, run.error)) {
    run.status = kExitIo;
  } else {
    run.status =
        os::runAgainWithLibraries(argv, (fs::path(root) / "lib").string(), kMarker, run.error);
    run.ran = run.status >= 0;
    if (!run.ran) run.status = kExitInternal;
  }
  fs::remove_all(root, failed);
  return run;
}

}  // namespace tool
