#pragma once

#include <string>

namespace tool {

// Loads the virtual probe (build tree: ../sim/libusb-1.0.so.0 beside this program's bin/)
// under libusb's soname, so the library binds it, and puts the demo bus on it.
bool loadVirtualProbe(std::string& error);

}  // namespace tool
