#pragma once

#include <string>

namespace tool {

// Loads the virtual probe (installed: <lib>/kestrel-sim/ beside this program's bin/; build
// tree: ../sim/) under libusb's soname, so the library binds it, and puts the demo bus on it.
// Returns the module (null with the reason on failure).
void* loadVirtualProbe(std::string& error);

}  // namespace tool
