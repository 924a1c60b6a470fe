#include "usb_functions.h"

#include <dlfcn.h>

#include "kestrel/kst_probe.h"

namespace tool {
namespace {

constexpr char kLibusbName[] = "libusb-1.0.so.0";

template <class F>
bool lookUp(void* module, const char* name, F& function, std::string& error) {
  function = reinterpret_cast<F>(dlsym(module, name));
  if (function == nullptr) error = "the libusb in use lacks " + std::string(name);
  return function != nullptr;
}

std::string libraryDirectory() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&KST_Open), &info) == 0 || info.dli_fname == nullptr)
    return {};
  const std::string file = info.dli_fname;
  const auto slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

}  // namespace

bool resolveUsbFunctions(void* module, UsbFunctions& f, std::string& error) {
  return lookUp(module, "libusb_init", f.init, error) &&
         lookUp(module, "libusb_exit", f.exit, error) &&
         lookUp(module, "libusb_get_device_list", f.getDeviceList, error) &&
         lookUp(module, "libusb_free_device_list", f.freeDeviceList, error) &&
         lookUp(module, "libusb_get_device_descriptor", f.getDeviceDescriptor, error) &&
         lookUp(module, "libusb_open", f.open, error) &&
         lookUp(module, "libusb_close", f.close, error) &&
         lookUp(module, "libusb_get_string_descriptor_ascii", f.getStringDescriptorAscii, error) &&
         lookUp(module, "libusb_get_bus_number", f.getBusNumber, error) &&
         lookUp(module, "libusb_get_port_numbers", f.getPortNumbers, error) &&
         lookUp(module, "libusb_get_device_address", f.getDeviceAddress, error) &&
         lookUp(module, "libusb_claim_interface", f.claimInterface, error) &&
         lookUp(module, "libusb_release_interface", f.releaseInterface, error);
}

void* loadLibraryLibusb(std::string& error) {
  const std::string directory = libraryDirectory();
  if (!directory.empty()) {
    for (const std::string& path : {directory + "../bin/" + kLibusbName, directory + kLibusbName}) {
      if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
    }
  }
  void* module = dlopen(kLibusbName, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr)
    error = std::string("cannot load ") + kLibusbName + " (is libusb-1.0 installed?)";
  return module;
}

}  // namespace tool
