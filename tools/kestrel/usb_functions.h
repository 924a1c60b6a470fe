// The libusb functions the tool calls itself to list devices, resolved from the libusb module
// the library binds (the tool is not linked against libusb).
#pragma once

#include <libusb.h>

#include <string>

namespace tool {

struct UsbFunctions {
  int (*init)(libusb_context**);
  void (*exit)(libusb_context*);
  ssize_t (*getDeviceList)(libusb_context*, libusb_device***);
  void (*freeDeviceList)(libusb_device**, int);
  int (*getDeviceDescriptor)(libusb_device*, libusb_device_descriptor*);
  int (*open)(libusb_device*, libusb_device_handle**);
  void (*close)(libusb_device_handle*);
  int (*getStringDescriptorAscii)(libusb_device_handle*, uint8_t, unsigned char*, int);
  uint8_t (*getBusNumber)(libusb_device*);
  int (*getPortNumbers)(libusb_device*, uint8_t*, int);
  uint8_t (*getDeviceAddress)(libusb_device*);
  int (*claimInterface)(libusb_device_handle*, int);
  int (*releaseInterface)(libusb_device_handle*, int);
};

// Looks the functions up in module (a dlopen handle); false with the missing name.
bool resolveUsbFunctions(void* module, UsbFunctions& functions, std::string& error);

// The libusb module the library binds when it opens its first probe, found the same way:
// libusb-1.0.so.0 in ../bin/ beside the library, in the library's directory, then by the
// system's search. Null with the reason when none loads.
void* loadLibraryLibusb(std::string& error);

}  // namespace tool
