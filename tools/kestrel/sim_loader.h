#pragma once

#include <cstdint>
#include <string>

namespace tool {

// Loads the virtual probe (installed: <lib>/kestrel-sim/ beside this program's bin/; build
// tree: ../sim/) under libusb's soname, so the library binds it, and puts the demo bus on it.
// firmwareVersion: the probe's (0: current). Returns the module (null with the reason on
// failure).
void* loadVirtualProbe(std::string& error, uint32_t firmwareVersion = 0);

// The virtual probe's firmware image, beside the virtual probe (build tree: sim/, installed:
// <lib>/kestrel-sim/): never where the library looks for the real probe's image.
std::string virtualProbeImagePath();

}  // namespace tool
