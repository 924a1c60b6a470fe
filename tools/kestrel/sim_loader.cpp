#include "sim_loader.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include "kestrel/kst_probe.h"

namespace tool {
namespace {

std::string programDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  path[length] = '\0';
  std::string text(path);
  const auto slash = text.rfind('/');
  return slash == std::string::npos ? "." : text.substr(0, slash);
}

// The installed tree first (KESTREL_INSTALLED_SIM is relative to the tool's directory), then
// the build tree's sim/ beside bin/.
std::string virtualProbePath() {
  const std::string directory = programDirectory();
  for (const char* relative : {"/" KESTREL_INSTALLED_SIM, "/../sim/libusb-1.0.so.0"}) {
    const std::string path = directory + relative;
    if (access(path.c_str(), F_OK) == 0) return path;
  }
  return directory + "/../sim/libusb-1.0.so.0";
}

// The library binds the first libusb of its own search order: ../bin/ beside its directory,
// then its directory, then the one loaded under the bare name. A libusb in either of the
// first two places (the system's, when the library is installed in the system's library
// directory) would be bound beside the virtual probe, and the two would share symbol names.
// Returns that file, or an empty text when the virtual probe will be the one bound.
std::string libusbShadowingTheVirtualProbe() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&KST_Open), &info) == 0 || info.dli_fname == nullptr)
    return {};
  std::string directory(info.dli_fname);
  const auto slash = directory.rfind('/');
  directory = slash == std::string::npos ? "." : directory.substr(0, slash);
  for (const char* relative : {"/../bin/libusb-1.0.so.0", "/libusb-1.0.so.0"}) {
    const std::string path = directory + relative;
    if (access(path.c_str(), F_OK) == 0) return path;
  }
  return {};
}

}  // namespace

std::string virtualProbeImagePath() {
  const std::string path = virtualProbePath();
  return path.substr(0, path.rfind('/')) + "/firmware_3.0.0.29.bin";
}

void* loadVirtualProbe(std::string& error, uint32_t firmwareVersion) {
  const std::string path = virtualProbePath();
  if (const std::string shadow = libusbShadowingTheVirtualProbe(); !shadow.empty()) {
    error = "the library would bind " + shadow +
            " before the virtual probe; --sim needs a library installed apart from the "
            "system's libusb (e.g. under /usr/local) or the build tree";
    return nullptr;
  }
  // Loaded globally under the soname libusb-1.0.so.0: the library's own lookup of that
  // name then finds this module instead of the system's libusb.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (module == nullptr) {
    error = "cannot load the virtual probe " + path;
    return nullptr;
  }
  auto install = reinterpret_cast<void (*)()>(dlsym(module, "ksim_install_default_bus"));
  if (install == nullptr) {
    error = path + " is not the Kestrel virtual probe";
    return nullptr;
  }
  if (firmwareVersion == 0) {
    install();
  } else {
    auto installWith =
        reinterpret_cast<void (*)(uint32_t)>(dlsym(module, "ksim_install_default_bus_firmware"));
    if (installWith == nullptr) {
      error = path + " cannot set its probe's firmware version";
      return nullptr;
    }
    installWith(firmwareVersion);
  }
  // Nobody reads the virtual probe's record of every transfer in a tool run: kept, it would
  // hold a hundred megabytes through a long memory read.
  if (auto record = reinterpret_cast<void (*)(int)>(dlsym(module, "ksim_record_transfers")))
    record(0);
  return module;
}

}  // namespace tool
