// Which driver and port the controller uses, chosen from the pod record.
#include <cstdlib>
#include <cstring>

#include "group_reader.h"

namespace kst::config {
namespace {

constexpr uint32_t kPodConnection = 1;
constexpr uint32_t kEcomConnection = 2;

// The squall ECOM driver names its probe by a serial "QRVM-" + 12 characters, the last
// eight of them the port in hexadecimal; without a serial the port must fit 12 bits.
constexpr const char* kSquallDriver = "squallu.out";
constexpr const char* kSquallSerialPrefix = "QRVM-";
constexpr std::size_t kSquallSerialLength = 17;
constexpr std::size_t kSquallPortDigits = 9;  // characters 10 to 17
constexpr uint32_t kSquallHighestPort = 4095;

int32_t selectSquallPort(PodRecord& record) {
  if (record.ecomSerialGiven) {
    const std::size_t prefix = std::strlen(kSquallSerialPrefix);
    if (std::strncmp(record.ecomSerial, kSquallSerialPrefix, prefix) != 0 ||
        std::strlen(record.ecomSerial) != kSquallSerialLength)
      return CFG_ERR_SQUALL_SERIAL;
    record.ecomPort =
        static_cast<uint32_t>(std::strtoul(record.ecomSerial + kSquallPortDigits, nullptr, 16));
    return 0;
  }
  if (!record.ecomPortGiven) record.selectedPort = &record.ecomLegacyPort;
  return *record.selectedPort > kSquallHighestPort ? CFG_ERR_SQUALL_PORT : 0;
}

}  // namespace

int32_t selectConnection(PodRecord& record) {
  if (record.ecomDriverGiven) {
    record.connectionKind = kEcomConnection;
    record.selectedDriverName = record.ecomDriverName;
    record.selectedPort = &record.ecomPort;
    if (std::strcmp(record.ecomDriverName, kSquallDriver) == 0) return selectSquallPort(record);
    return 0;
  }
  if (record.podDriverGiven) {
    record.connectionKind = kPodConnection;
    record.selectedDriverName = record.podDriverName;
    record.selectedPort = &record.podPort;
  }
  return 0;
}

}  // namespace kst::config
