#pragma once

#include <string>

namespace tool {

// Loads the virtual probe (build tree: ../sim/libusb-1.0.so.0 beside this program's bin/)
// under libusb's soname, so the library binds it, and puts the demo bus on it. Returns the
// module (null with the reason on failure).
void* loadVirtualProbe(std::string& error);

}  // namespace tool
