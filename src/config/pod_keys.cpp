// The pod group: which driver and probe the controller talks to, how it powers the target,
// and whether the first device is a CoreSight debug port.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "group_reader.h"
#include "platform/platform.h"
#include "rule_helpers.h"
#include "value_readers.h"

namespace kst::config {
namespace {

constexpr std::size_t kMaxText = kPodTextSize - 1;
constexpr Keyword kCoreSightTypes[] = {{"cs_dap", 1}, {"cs_dap_pc", 1}};

// A key read as text: found, and the host's text (1..256 characters) when found.
struct TextKey {
  uint8_t found = 0;
  uint64_t property = 0;
  const char* text = "";
  std::size_t length = 0;
};

int32_t readText(const GroupReader& reader, const char* key, TextKey& out) {
  if (const int32_t result = findText(reader, key, out.found, out.property, out.text, out.length))
    return result;
  if (out.found && (out.length < 1 || out.length > kMaxText)) return CFG_ERR_TEXT_LENGTH;
  return 0;
}

// A port: a dotted address, else the host's unsigned number.
int32_t readPort(const GroupReader& reader, const char* key, uint8_t& found, uint32_t& port) {
  TextKey text;
  if (const int32_t result =
          findText(reader, key, text.found, text.property, text.text, text.length))
    return result;
  found = text.found;
  if (!found || readDottedAddress(text.text, text.length, port)) return 0;
  return reader.host().getUnsigned(text.property, port);
}

// A voltage text in millivolts, saturated into 0..UINT32_MAX with NaN as 0, so that a
// negative, huge or meaningless text lands outside the window that programs a target supply
// instead of wrapping into it.
uint32_t millivoltsOf(const char* text) {
  const double millivolts = std::atof(text) * 1000.0;
  if (!(millivolts > 0.0)) return 0;
  if (millivolts >= 4294967296.0) return UINT32_MAX;
  return static_cast<uint32_t>(millivolts);
}

void copyText(char (&to)[kPodTextSize], const char* from) {
  std::strncpy(to, from, kMaxText);
  to[kMaxText] = '\0';
}

int32_t readBooleanText(const TextKey& key, uint8_t& given, uint8_t& value) {
  if (!key.found) return 0;
  bool flag = false;
  if (!readBooleanWord(key.text, flag)) return CFG_ERR_BOOLEAN_TEXT;
  value = flag;
  given = 1;
  return 0;
}

// The probe's own driver on an ECOM-less setup, or an ECOM "squall" driver, may front a
// CoreSight debug port; the host's first device says so.
void checkCoreSight(const GroupReader& reader, PodRecord& record) {
  if (std::strstr(record.podDriverName, "kestrel") == nullptr &&
      std::strstr(record.ecomDriverName, "squall") == nullptr)
    return;
  record.firstDeviceIsCoreSight = 0;
  uint32_t device = 0;
  uint8_t none = 1;
  reader.host().firstDevice(1, device, none);
  if (none != 0) return;
  const char* typeName = nullptr;
  if (reader.host().deviceTypeName(device, typeName) != 0 || typeName == nullptr) return;
  if (lookupWholeWord(typeName, table(kCoreSightTypes)) != kNoMatch)
    record.firstDeviceIsCoreSight = 1;
}

int32_t readPodKeys(const GroupReader& reader, void* pod, const KeyRule&) {
  PodRecord& record = *static_cast<PodRecord*>(pod);
  TextKey ecomDriver, ecomSerial, podDriver, podSerial, supply, voltageSelection, voltage;
  uint8_t ecomPortFound = 0, ecomLegacyFound = 0, podPortFound = 0;
  uint32_t ecomPort = 0, ecomLegacyPort = 0, podPort = 0;

  if (const int32_t result = readText(reader, "LOOM.ECOM_DRVR", ecomDriver)) return result;
  if (ecomDriver.found) {
    if (const int32_t r = readPort(reader, "LOOM.ECOM_PORT", ecomPortFound, ecomPort)) return r;
    if (const int32_t r = readText(reader, "LOOM.ECOM_SERIAL", ecomSerial)) return r;
    uint64_t property = 0;
    if (const int32_t r = reader.find("LOOM.ECOM_PORT_LEGACY", property, ecomLegacyFound)) return r;
    if (ecomLegacyFound) {
      if (const int32_t r = reader.host().getUnsigned(property, ecomLegacyPort)) return r;
    }
  }
  if (const int32_t result = readText(reader, "HARP.POD_DRVR", podDriver)) return result;
  if (podDriver.found) {
    if (const int32_t r = readPort(reader, "HARP.POD_PORT", podPortFound, podPort)) return r;
    if (const int32_t r = readText(reader, "HARP.POD_SERIAL", podSerial)) return r;
  }
  if (const int32_t r = readText(reader, "HARP.POD_SUPPLY", supply)) return r;
  if (const int32_t r = readText(reader, "HARP.POD_VOLTAGE_SELECTION", voltageSelection)) return r;
  if (const int32_t r = readText(reader, "HARP.POD_VOLTAGE", voltage)) return r;

  if (ecomDriver.found) {
    copyText(record.ecomDriverName, platform::pathFileName(ecomDriver.text));
    record.ecomDriverGiven = 1;
  }
  if (ecomPortFound) {
    record.ecomPort = ecomPort;
    record.ecomPortGiven = 1;
  }
  if (ecomSerial.found) {
    copyText(record.ecomSerial, ecomSerial.text);
    record.ecomSerialGiven = 1;
  }
  if (ecomLegacyFound) {
    record.ecomLegacyPort = ecomLegacyPort;
    record.ecomLegacyPortGiven = 1;
  }
  if (podDriver.found) {
    copyText(record.podDriverName, platform::pathFileName(podDriver.text));
    record.podDriverGiven = 1;
  }
  if (podPortFound) {
    record.podPort = podPort;
    record.podPortGiven = 1;
  }
  if (podSerial.found) {
    copyText(record.podSerial, podSerial.text);
    record.podSerialGiven = 1;
    // The serial names the probe: its hash stands for the port.
    record.podPort = serialHash(podSerial.text);
    record.podPortGiven = 1;
  }
  if (const int32_t r = readBooleanText(supply, record.supplyGiven, record.supply)) return r;
  if (const int32_t r =
          readBooleanText(voltageSelection, record.voltageSelectionGiven, record.voltageSelection))
    return r;
  if (voltage.found) {
    record.voltageMillivolts = millivoltsOf(voltage.text);
    record.voltageGiven = 1;
  }
  checkCoreSight(reader, record);
  return 0;
}

// The pod keys depend on one another (ports only with a driver, stores after all reads).
constexpr KeyRule kPodKeys[] = {customRule(readPodKeys)};

}  // namespace

int32_t readPodGroup(const jsc::HostServices& host, PodRecord* record) {
  return readGroup(host, record, kPodKeys);
}

}  // namespace kst::config
