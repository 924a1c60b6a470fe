#include "device_json.h"

namespace tool {

nlohmann::json deviceJson(std::size_t index, const ListedDevice& device) {
  static const char* const kAccess[] = {"ok", "no-permission", "error"};
  nlohmann::json json = {
      {"index", index},
      {"kind", kindText(device.kind)},
      {"usb_id", usbIdText(device)},
      {"vendor_id", device.vendorId},
      {"product_id", device.productId},
      {"bus", device.bus},
      {"ports", device.ports},
      {"path", device.path},
      {"serial", device.serial.empty() ? nlohmann::json() : nlohmann::json(device.serial)},
      {"access", kAccess[static_cast<int>(device.access)]},
  };
  if (device.access != Access::Ok) json["libusb_error"] = device.openError;
  return json;
}

}  // namespace tool
