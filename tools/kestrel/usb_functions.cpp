#include "usb_functions.h"

#include "platform/os.h"

namespace tool {
namespace {

template <class F>
bool lookUp(void* module, const char* name, F& function, std::string& error) {
  function = reinterpret_cast<F>(os::findFunction(module, name));
  if (function == nullptr) error = "the libusb in use lacks " + std::string(name);
  return function != nullptr;
}

std::string libraryDirectory() {
  std::string file;
  return os::kestrelLibraryFile(file) ? os::directoryOf(file) + "/" : std::string();
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
    for (const std::string& path :
         {directory + "../bin/" + os::kLibusbName, directory + os::kLibusbName}) {
      if (void* module = os::loadLibrary(path, false)) return module;
    }
  }
  void* module = os::loadLibrary(os::kLibusbName, false);
  if (module == nullptr)
    error = std::string("cannot load ") + os::kLibusbName + " (is libusb-1.0 installed?)";
  return module;
}

}  // namespace tool
