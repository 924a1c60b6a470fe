// A configuration descriptor as a device sent it, parsed into libusb's structs: interfaces
// with their alternate settings, endpoints, and the class-specific descriptors each level
// carries in its extra bytes (a DFU functional descriptor lands in its interface's extra).
// The bytes are the device's, so nothing in them is trusted.
#pragma once

#include <libusb.h>

#include <cstddef>
#include <cstdint>

namespace ksim::libusb {

// LIBUSB_SUCCESS with *config owning everything it points to, LIBUSB_ERROR_IO when the
// bytes do not begin with a configuration descriptor, LIBUSB_ERROR_NO_MEM.
//
// The bytes are walked up to wTotalLength or their end, whichever comes first. The walk
// stops at a descriptor shorter than 2 bytes or running past that point, at an interface or
// endpoint descriptor too short for its fields, and at an interface beyond bNumInterfaces;
// what was read before it is kept (a device's first configuration stays usable when its
// tail is damaged), and the counts (bNumInterfaces, bNumEndpoints) say what was read, so a
// caller never indexes past the arrays.
int parseConfigDescriptor(const uint8_t* data, std::size_t size, libusb_config_descriptor** config);

// Frees what parseConfigDescriptor built; null is ignored.
void freeConfigDescriptor(libusb_config_descriptor* config);

}  // namespace ksim::libusb
