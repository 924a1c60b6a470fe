// Slots 54 and 55: selecting and deselecting a TAP behind a JTAG router. The router's type
// and the TAP's port come from the framework's description of the device.
#include "controller_handle.h"
#include "host_services.h"
#include "kestrel/kst_jtag.h"
#include "operations.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

constexpr uint8_t kKindC = 'C';
constexpr uint8_t kKindD = 'D';
constexpr int32_t kRouterMode = 1;
constexpr uint32_t kDefaultRouterType = 5;
constexpr uint32_t kPortsPerGroup = 16;

struct Route {
  uint32_t type;
  uint32_t port;
  uint8_t options[2];
};

int32_t describe(const JscHandle& handle, uint32_t device, Route& route) {
  void* list = nullptr;
  uint8_t found = 0;
  const HostServices host(handle.hostContext, handle.hostServices);
  if (const int32_t result = host.deviceDescriptions(device, list, found)) return result;
  if (!found || list == nullptr) return kNoDeviceDescription;
  const auto& description = *static_cast<const JSC_DeviceDescription*>(list);
  route.type = description.routerTypeValid ? description.routerType : kDefaultRouterType;
  route.port = description.routerPortValid ? description.routerPort : 0;
  route.options[0] = description.options[0];
  route.options[1] = description.options[1];
  return kOk;
}

// The router word: a group nibble and the port within the group, in the top byte. Each
// router type knows its own groups; a type outside the table has no router word.
int32_t routerWord(const Route& route, uint8_t kind, uint32_t& word) {
  struct Groups {
    uint32_t low;   // group of ports 0 to 15
    uint32_t high;  // group of ports 16 to 31; 0 when the type has none
  };
  Groups groups{};
  switch (route.type) {
    case 0:
    case 1:
    case 5:
    case 8:
      groups = {0x1, 0x2};
      break;
    case 6:
      groups = kind == kKindC ? Groups{0x2, 0} : Groups{0x2, 0x3};
      break;
    case 7:
      groups = {0x1, 0};
      break;
    default:
      word = 0;
      return kOk;
  }
  const uint32_t group = route.port < kPortsPerGroup       ? groups.low
                         : route.port < 2 * kPortsPerGroup ? groups.high
                                                           : 0;
  if (group == 0) return kRouterPort;
  word = (group << 4 | (route.port % kPortsPerGroup)) << 24;
  return kOk;
}

int32_t routeTap(JscHandle* handle, uint8_t kind, const ScanSettings* settings,
                 const uint32_t* deviceId, int32_t mode, bool select) {
  if (handle == nullptr || controllerOf(handle) == nullptr) return kBadArgument;
  if ((kind != kKindC && kind != kKindD) || mode != kRouterMode) return kNotSupported;
  if (settings == nullptr || deviceId == nullptr) return kBadArgument;
  Route route{};
  if (const int32_t result = describe(*handle, *deviceId, route)) return result;
  uint32_t word = 0;
  if (const int32_t result = routerWord(route, kind, word)) return result;
  const uint32_t* a = settings->ambles;
  KSTInform* probe = probeOf(handle);
  const int32_t result = select ? KST_SelectTap(probe, word, a[0], a[1], a[2], a[3], kind,
                                                route.options[0], route.options[1])
                                : KST_DeselectTap(probe, word, a[0], a[1], a[2], a[3], kind);
  if (result == kOk)
    for (int i = 0; i < 4; ++i) handle->ambles[i] = a[i];
  return result;
}

}  // namespace

int32_t selectTap(JscHandle* handle, uint8_t kind, const ScanSettings* settings,
                  const uint32_t* deviceId, int32_t mode) {
  return routeTap(handle, kind, settings, deviceId, mode, true);
}

int32_t deselectTap(JscHandle* handle, uint8_t kind, const ScanSettings* settings,
                    const uint32_t* deviceId, int32_t mode) {
  return routeTap(handle, kind, settings, deviceId, mode, false);
}

}  // namespace kst::jsc
