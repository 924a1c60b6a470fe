#include "sim_loader.h"

#include "platform/os.h"

namespace tool {
namespace {

// The installed tree first (KESTREL_INSTALLED_SIM is relative to the tool's directory), then
// the build tree's sim/ beside bin/.
std::string virtualProbePath() {
  const std::string directory = os::programDirectory();
  const std::string buildTree = directory + "/../sim/" + os::kLibusbName;
  for (const std::string& path : {directory + "/" KESTREL_INSTALLED_SIM, buildTree})
    if (os::exists(path)) return path;
  return buildTree;
}

// The library binds the first libusb of its own search order: ../bin/ beside its directory,
// then its directory, then the one loaded under the bare name. A libusb in either of the
// first two places (the system's, when the library is installed in the system's library
// directory) would be bound beside the virtual probe, and the two would share symbol names.
// Returns that file, or an empty text when the virtual probe will be the one bound.
std::string libusbShadowingTheVirtualProbe() {
  std::string library;
  if (!os::kestrelLibraryFile(library)) return {};
  const std::string directory = os::directoryOf(library);
  for (const std::string& path :
       {directory + "/../bin/" + os::kLibusbName, directory + "/" + os::kLibusbName})
    if (os::exists(path)) return path;
  return {};
}

}  // namespace

std::string virtualProbeImagePath() {
  const std::string path = virtualProbePath();
  return os::directoryOf(path) + "/firmware_3.0.0.29.bin";
}

void* loadVirtualProbe(std::string& error, uint32_t firmwareVersion) {
  const std::string path = virtualProbePath();
  if (const std::string shadow = libusbShadowingTheVirtualProbe(); !shadow.empty()) {
    error = "the library would bind " + shadow +
            " before the virtual probe; --sim needs a library installed apart from the "
            "system's libusb (e.g. under /usr/local) or the build tree";
    return nullptr;
  }
  // Loaded globally under libusb's own file name: the library's own lookup of that name then
  // finds this module instead of the system's libusb.
  void* module = os::loadLibrary(path, true);
  if (module == nullptr) {
    error = "cannot load the virtual probe " + path;
    return nullptr;
  }
  auto install = reinterpret_cast<void (*)()>(os::findFunction(module, "ksim_install_default_bus"));
  if (install == nullptr) {
    error = path + " is not the Kestrel virtual probe";
    return nullptr;
  }
  if (firmwareVersion == 0) {
    install();
  } else {
    auto installWith =
        reinterpret_cast<void (*)(uint32_t)>(
            os::findFunction(module, "ksim_install_default_bus_firmware"));
    if (installWith == nullptr) {
      error = path + " cannot set its probe's firmware version";
      return nullptr;
    }
    installWith(firmwareVersion);
  }
  // Nobody reads the virtual probe's record of every transfer in a tool run: kept, it would
  // hold a hundred megabytes through a long memory read.
  if (auto record = reinterpret_cast<void (*)(int)>(os::findFunction(module, "ksim_record_transfers")))
    record(0);
  return module;
}

}  // namespace tool
