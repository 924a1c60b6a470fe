// POSIX implementation of the platform primitives, for Linux and other systems with glibc's
// dlinfo (RTLD_DI_LINKMAP) and <link.h>; macOS has neither and would need its own file.
#if !defined(_WIN32)

#include <dlfcn.h>
#include <link.h>
#include <time.h>

#include <cerrno>
#include <cstring>

#include "platform_os.h"

namespace kst::platform {

const char* const kOwnModuleName = "libjsckestrel.so";
const char* const kLibusbFileName = "libusb-1.0.so.0";
const char* const kLoggerFileName = "libnimbus_logger.so";
const char* const kRelativeBinDir = "../bin/";
const char* const kPartnerModuleName = "libkstfast3.so";
const char* const kDefaultModuleName = "libkstboard.so";

ModuleHandle loadLibrary(const char* pathOrName) {
  if (pathOrName == nullptr || *pathOrName == '\0') return nullptr;
  return dlopen(pathOrName, RTLD_NOW | RTLD_LOCAL);
}

bool freeLibrary(ModuleHandle module) {
  return module != nullptr && dlclose(module) == 0;
}

namespace os {

void sleepMs(uint32_t milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

const char* const kDirectorySeparators = "/";
const char kDriveColonSeparator = '\0';

void* findSymbol(ModuleHandle module, const char* name) {
  return dlsym(module, name);
}

namespace {

bool copyPath(const char* path, char* out, std::size_t outSize) {
  const std::size_t length = path != nullptr ? std::strlen(path) : 0;
  const bool fits = length > 0 && length < outSize;
  if (fits) std::memcpy(out, path, length + 1);
  return fits;
}

struct ModuleSearch {
  const char* name;
  std::size_t nameLength;
  char* out;
  std::size_t outSize;
  bool found;
};

// Matches a loaded module whose file is named `name` or `name` with a version suffix.
int matchVersionedFile(dl_phdr_info* info, std::size_t, void* data) {
  auto* search = static_cast<ModuleSearch*>(data);
  const char* path = info->dlpi_name;
  if (path == nullptr) return 0;
  const char* slash = std::strrchr(path, '/');
  const char* file = slash != nullptr ? slash + 1 : path;
  if (std::strncmp(file, search->name, search->nameLength) != 0) return 0;
  const char next = file[search->nameLength];
  if (next != '\0' && next != '.') return 0;
  search->found = copyPath(path, search->out, search->outSize);
  return 1;
}

}  // namespace

bool moduleFileName(const char* moduleName, char* out, std::size_t outSize) {
  if (moduleName == nullptr || out == nullptr || outSize == 0) return false;
  // RTLD_NOLOAD finds a module that is already loaded (by its soname or path) without
  // loading it, like asking for the handle of a loaded module by name.
  if (void* module = dlopen(moduleName, RTLD_LAZY | RTLD_NOLOAD)) {
    link_map* map = nullptr;
    const bool found = dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
                       copyPath(map->l_name, out, outSize);
    dlclose(module);
    return found;
  }
  // An installed library is loaded under its versioned soname (libjsckestrel.so.1), and the
  // unversioned development link may not be installed: the loaded modules' own files decide.
  ModuleSearch search{moduleName, std::strlen(moduleName), out, outSize, false};
  dl_iterate_phdr(matchVersionedFile, &search);
  return search.found;
}

uint64_t readCounter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

uint64_t counterFrequency() {
  return 1000000000ull;
}

uint32_t tickMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                               static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

}  // namespace os
}  // namespace kst::platform

#endif
