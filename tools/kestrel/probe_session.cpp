#include "probe_session.h"

#include "clock_option.h"
#include "device_json.h"
#include "exit_status.h"
#include "kestrel/kst_probe.h"
#include "probe_selector.h"
#include "result_text.h"

namespace tool {

ProbeSession::~ProbeSession() {
  if (probe_ != nullptr) KST_Close(&probe_);
}

int ProbeSession::open(bool powerMeasurement) {
  std::string error;
  if (!listDevices(run_.usb, devices_, error)) {
    run_.console.error(error);
    return kExitIo;
  }
  const Selection selection = selectProbe(devices_, run_.options.probe);
  if (selection.status != kExitOk) {
    run_.console.error(selection.message);
    return selection.status;
  }
  index_ = static_cast<std::size_t>(selection.device - devices_.data());
  run_.console.document()["probe"] = deviceJson(index_, device());
  run_.console.detail(1) << "kestrel: opening the probe at " << device().path << " by "
                         << (selection.openSerial.empty()
                                 ? "index " + std::to_string(selection.openIndex)
                                 : "serial number " + selection.openSerial)
                         << '\n';
  openIndex_ = selection.openIndex;
  openSerial_ = selection.openSerial;
  const int32_t result = KST_Open(&probe_, openIndex_, openSerial(), powerMeasurement ? 1 : 0);
  if (result == KST_OK) return applyClock();
  probe_ = nullptr;
  // The library says only that no probe could be claimed; the claim tells busy apart.
  if (const std::string busy = result == KST_ERR_NO_PROBE ? busyText(run_.usb, device()) : "";
      !busy.empty()) {
    run_.console.error(busy);
    return kExitBusy;
  }
  run_.console.error("cannot open the probe at " + device().path + ": " + resultText(result));
  return exitStatusForOpen(result);
}

int ProbeSession::applyClock() {
  const uint64_t asked = run_.options.clockHertz;
  if (asked == 0) return kExitOk;
  const ClockSetting setting = clockFor(asked);
  if (const int32_t result = setClock(probe_, setting); result != KST_OK) {
    run_.console.error("cannot set the test clock: " + resultText(result));
    return kExitIo;
  }
  run_.console.document()["tclk_frequency"] = setting.frequency;
  run_.console.notice() << "kestrel: test clock " << clockText(setting.frequency)
                        << (setting.frequency == asked ? ""
                                                       : " (--clock asks " + clockText(asked) + ")")
                        << '\n';
  return kExitOk;
}

}  // namespace tool
