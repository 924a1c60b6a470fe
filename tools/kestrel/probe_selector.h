// One grammar for choosing a probe: a serial number, a USB id (1209:4b01, or 1209:4b01:SERIAL),
// a bus path, an index into `kestrel list` or a unique serial prefix; resolved to what
// KST_Open takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device_listing.h"

namespace tool {

struct Selection {
  int status = 0;                        // 0, or the exit status of the refusal
  std::string message;                   // why not, with the candidates when there are several
  const ListedDevice* device = nullptr;  // the chosen device (also set for some refusals)
  uint32_t openIndex = 0;                // KST_Open's device index ...
  std::string openSerial;                // ... or serial number (when not empty)
};

// Resolves selector (empty: the only probe attached) against devices as listDevices gives
// them. The forms are tried in this order: exact serial number, USB id, bus path (1-4.2),
// index, unique serial prefix; a serial that looks like a number or a path therefore still
// wins. A USB id alone must name one device.
Selection selectProbe(const std::vector<ListedDevice>& devices, const std::string& selector);

// One line per device, as `kestrel list` prints it.
std::string deviceLine(std::size_t index, const ListedDevice& device);

}  // namespace tool
