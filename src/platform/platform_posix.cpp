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

bool moduleFileName(const char* moduleName, char* out, std::size_t outSize) {
  if (moduleName == nullptr || out == nullptr || outSize == 0) return false;
  // RTLD_NOLOAD finds a module that is already loaded (by its soname or path) without
  // loading it, like asking for the handle of a loaded module by name.
  void* module = dlopen(moduleName, RTLD_LAZY | RTLD_NOLOAD);
  if (module == nullptr) return false;
  link_map* map = nullptr;
  const bool found =
      dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr;
  std::size_t length = found ? std::strlen(map->l_name) : 0;
  const bool fits = length > 0 && length < outSize;
  if (fits) std::memcpy(out, map->l_name, length + 1);
  dlclose(module);
  return fits;
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
