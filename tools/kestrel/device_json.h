#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>

#include "device_listing.h"

namespace tool {

// One listed device in the JSON documents: index, kind, usb_id, vendor_id, product_id, bus,
// ports, path, serial (null when unreadable), access ("ok", "no-permission", "error") and,
// when access is not ok, libusb_error.
nlohmann::json deviceJson(std::size_t index, const ListedDevice& device);

}  // namespace tool
