#pragma once

#include <string>

namespace tool {

// Asks the virtual probe loaded as libusb (usbModule) to write the bus's traffic to file as a
// pcap capture; 0, or the exit status with the reason when the libusb in use is not the
// virtual probe (64) or the file cannot be created (74).
int startCapture(void* usbModule, const std::string& file, std::string& error);

}  // namespace tool
