#include "sim_loader.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

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

}  // namespace

void* loadVirtualProbe(std::string& error, uint32_t firmwareVersion) {
  const std::string path = virtualProbePath();
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
    return module;
  }
  auto installWith =
      reinterpret_cast<void (*)(uint32_t)>(dlsym(module, "ksim_install_default_bus_firmware"));
  if (installWith == nullptr) {
    error = path + " cannot set its probe's firmware version";
    return nullptr;
  }
  installWith(firmwareVersion);
  return module;
}

}  // namespace tool
