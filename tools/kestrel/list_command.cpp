// kestrel list: every Kestrel probe and bootloader on the bus, and whether this user may
// open it. No interface is claimed, so probes in use elsewhere are listed too.
#include <string>
#include <vector>

#include "commands.h"
#include "device_json.h"
#include "device_listing.h"
#include "exit_status.h"
#include "probe_selector.h"

namespace tool {

int runList(Invocation& run) {
  std::vector<ListedDevice> devices;
  std::string error;
  if (!listDevices(run.usb, devices, error)) {
    run.console.error(error);
    return run.console.finish(kExitIo);
  }
  nlohmann::json& listed = run.console.document()["devices"] = nlohmann::json::array();
  bool forbidden = false, bootloader = false;
  std::ostream& text = run.console.text();
  if (devices.empty())
    text << "no Kestrel probe or bootloader found\n";
  else
    text << "#   kind       USB id     path       serial       access\n";
  for (std::size_t i = 0; i < devices.size(); ++i) {
    listed.push_back(deviceJson(i, devices[i]));
    std::string line = deviceLine(i, devices[i]);
    if (devices[i].access != Access::Ok) {
      const std::string access = accessText(devices[i]);
      line.replace(line.size() - access.size(), access.size(),
                   run.console.paint(access, Console::Colour::Yellow));
    }
    if (devices[i].kind == DeviceKind::Bootloader) {
      line += run.console.paint("  (probe left in its bootloader)", Console::Colour::Yellow);
      listed.back()["left_in_bootloader"] = true;
    }
    text << line << '\n';
    forbidden = forbidden || devices[i].access == Access::NoPermission;
    bootloader = bootloader || devices[i].kind == DeviceKind::Bootloader;
  }
  if (forbidden) text << "no permission: " << kUdevHint << '\n';
  if (bootloader) text << "bootloader: " << kBootloaderHint << '\n';
  return run.console.finish(kExitOk);
}

}  // namespace tool
