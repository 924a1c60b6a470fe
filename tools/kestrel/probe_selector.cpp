#include "probe_selector.h"

#include <cstdio>

#include "exit_status.h"
#include "number.h"
#include "printable_text.h"

namespace tool {
namespace {

using Candidates = std::vector<std::size_t>;  // indexes into the listing

bool allDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// bus-port.port...: digits, a dash, then dot-separated digits.
bool isBusPath(const std::string& text) {
  const auto dash = text.find('-');
  if (dash == std::string::npos || !allDigits(text.substr(0, dash))) return false;
  for (std::size_t start = dash + 1;;) {
    const auto dot = text.find('.', start);
    if (!allDigits(text.substr(start, dot == std::string::npos ? dot : dot - start))) return false;
    if (dot == std::string::npos) return true;
    start = dot + 1;
  }
}

// VVVV:PPPP or VVVV:PPPP:SERIAL, the identities in hexadecimal as `kestrel list` shows them.
struct UsbIdSelector {
  uint16_t vendorId = 0, productId = 0;
  bool withSerial = false;
  std::string serial;
};

bool readHexWord(const std::string& text, std::size_t at, uint16_t& value) {
  if (text.size() < at + 4) return false;
  value = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const int digit = hexDigit(text[i]);
    if (digit < 0) return false;
    value = static_cast<uint16_t>(value << 4 | digit);
  }
  return true;
}

bool isUsbId(const std::string& text, UsbIdSelector& id) {
  if (text.size() < 9 || text[4] != ':' || !readHexWord(text, 0, id.vendorId) ||
      !readHexWord(text, 5, id.productId))
    return false;
  if (text.size() == 9) return true;
  if (text[9] != ':') return false;
  id.withSerial = true;
  id.serial = text.substr(10);
  return true;
}

Candidates matching(const std::vector<ListedDevice>& devices,
                    bool (*match)(const ListedDevice&, const std::string&),
                    const std::string& selector) {
  Candidates found;
  for (std::size_t i = 0; i < devices.size(); ++i)
    if (match(devices[i], selector)) found.push_back(i);
  return found;
}

std::string candidateLines(const std::vector<ListedDevice>& devices, const Candidates& which) {
  std::string text;
  for (const std::size_t i : which) text += "\n  " + deviceLine(i, devices[i]);
  return text;
}

Candidates all(const std::vector<ListedDevice>& devices) {
  Candidates every;
  for (std::size_t i = 0; i < devices.size(); ++i) every.push_back(i);
  return every;
}

Selection refusal(int status, std::string message) {
  Selection selection;
  selection.status = status;
  selection.message = std::move(message);
  return selection;
}

// What KST_Open takes to reach this device: its serial number when no other probe shares
// it, else its index among the openable devices of its identity row, provided no earlier row
// has a device at that index (KST_Open takes the first row that yields one).
bool openArguments(const std::vector<ListedDevice>& devices, const ListedDevice& chosen,
                   Selection& selection) {
  std::size_t sameSerial = 0;
  for (const ListedDevice& device : devices)
    if (device.kind == DeviceKind::Probe && device.serial == chosen.serial) ++sameSerial;
  if (!chosen.serial.empty() && sameSerial == 1) {
    selection.openSerial = chosen.serial;
    return true;
  }
  uint32_t index = 0;
  for (const ListedDevice& device : devices)
    if (device.kind == DeviceKind::Probe && device.identityRow == chosen.identityRow &&
        device.access == Access::Ok && device.busOrder < chosen.busOrder)
      ++index;
  for (int row = 0; row < chosen.identityRow; ++row) {
    uint32_t openable = 0;
    for (const ListedDevice& device : devices)
      openable += device.kind == DeviceKind::Probe && device.identityRow == row &&
                  device.access == Access::Ok;
    if (openable > index) return false;
  }
  selection.openIndex = index;
  return true;
}

Selection choose(const std::vector<ListedDevice>& devices, std::size_t which) {
  const ListedDevice& device = devices[which];
  const std::string name = "the device at " + device.path;
  Selection selection;
  selection.device = &device;
  if (device.kind == DeviceKind::Bootloader) {
    selection.status = kExitNoProbe;
    selection.message = name + " is a probe left in its bootloader: " + kBootloaderHint;
  } else if (device.access == Access::NoPermission) {
    selection.status = kExitPermission;
    selection.message = "the probe at " + device.path + ": " + kUdevHint;
  } else if (device.access == Access::Failed) {
    selection.status = kExitIo;
    selection.message = "the probe at " + device.path + " " + accessText(device);
  } else if (!openArguments(devices, device, selection)) {
    selection.status = kExitUsage;
    selection.message = "the probe at " + device.path +
                        " shares its serial number with another and cannot be opened apart "
                        "from it; detach the other probe";
  }
  return selection;
}

Selection resolve(const std::vector<ListedDevice>& devices, const std::string& selector,
                  const Candidates& found, const char* form) {
  if (found.size() == 1) return choose(devices, found.front());
  return refusal(kExitUsage, "'" + selector + "' matches " + std::to_string(found.size()) +
                                 " devices by " + form +
                                 "; choose one with --probe:" + candidateLines(devices, found));
}

}  // namespace

Selection selectProbe(const std::vector<ListedDevice>& devices, const std::string& selector) {
  if (selector.empty()) {
    const Candidates probes = matching(
        devices,
        [](const ListedDevice& d, const std::string&) { return d.kind == DeviceKind::Probe; },
        selector);
    if (probes.size() == 1) return choose(devices, probes.front());
    if (probes.empty())
      return refusal(kExitNoProbe, devices.empty() ? "no Kestrel probe found (is it plugged in?)"
                                                   : "no Kestrel probe found, only:" +
                                                         candidateLines(devices, all(devices)));
    return refusal(kExitUsage, std::to_string(probes.size()) +
                                   " probes found; choose one with --probe SELECTOR (a serial "
                                   "number, bus path or index):" +
                                   candidateLines(devices, probes));
  }
  Candidates found = matching(
      devices, [](const ListedDevice& d, const std::string& s) { return d.serial == s; }, selector);
  if (!found.empty()) return resolve(devices, selector, found, "serial number");
  if (UsbIdSelector id; isUsbId(selector, id)) {
    for (std::size_t i = 0; i < devices.size(); ++i)
      if (devices[i].vendorId == id.vendorId && devices[i].productId == id.productId &&
          (!id.withSerial || devices[i].serial == id.serial))
        found.push_back(i);
    if (found.empty()) return refusal(kExitNoProbe, "no Kestrel device with USB id " + selector);
    return resolve(devices, selector, found, "USB id");
  }
  if (isBusPath(selector)) {
    found = matching(
        devices, [](const ListedDevice& d, const std::string& s) { return d.path == s; }, selector);
    if (found.empty()) return refusal(kExitNoProbe, "no Kestrel device at bus path " + selector);
    return choose(devices, found.front());
  }
  uint64_t index = 0;
  if (parseNumber(selector, UINT32_MAX, index)) {
    if (index >= devices.size())
      return refusal(kExitNoProbe, "no device " + selector + " in `kestrel list` (" +
                                       std::to_string(devices.size()) + " listed)");
    return choose(devices, static_cast<std::size_t>(index));
  }
  found = matching(
      devices,
      [](const ListedDevice& d, const std::string& s) { return d.serial.rfind(s, 0) == 0; },
      selector);
  if (found.empty()) return refusal(kExitNoProbe, "no Kestrel probe matches '" + selector + "'");
  return resolve(devices, selector, found, "serial prefix");
}

std::string deviceLine(std::size_t index, const ListedDevice& device) {
  char text[160];
  std::snprintf(text, sizeof text, "%-3zu %-10s %s  %-10s %-12s %s", index, kindText(device.kind),
                usbIdText(device).c_str(), device.path.c_str(),
                device.serial.empty() ? "-" : printable(device.serial).c_str(),
                accessText(device).c_str());
  return text;
}

}  // namespace tool
