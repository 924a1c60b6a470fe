#include "framework_session.h"

#include <cstdio>

#include "clock_option.h"
#include "config_keys.h"
#include "device_json.h"
#include "exit_status.h"
#include "input_file.h"
#include "printable_text.h"
#include "probe_selector.h"
#include "result_text.h"

namespace tool {
namespace {

const char kDriverKey[] = "HARP.POD_DRVR";
const char kSerialKey[] = "HARP.POD_SERIAL";
// A configuration is a few dozen KEY=value lines; 1 MiB is thousands of times that, and
// small enough that a wrong file (an image, /dev/zero) is refused at once.
constexpr uint64_t kMaxConfigBytes = uint64_t{1} << 20;

}  // namespace

int FrameworkSession::refuse(int status, const std::string& message) {
  run_.console.error(message);
  return status;
}

int FrameworkSession::choose() {
  std::string error;
  if (!listDevices(run_.usb, devices_, error)) return refuse(kExitIo, error);
  const std::string& file = run_.options.config;
  // The framework opens the probe by the serial number the file names, and reads that only
  // when the file names the probe driver too.
  if (session_.host().value(kDriverKey) == nullptr)
    return refuse(kExitConfig, file + " names no probe driver (" + kDriverKey + "=kestrel.dll)");
  // An explicit --probe comes first, then the file's serial number, then KESTREL_PROBE: the
  // file describes one target, the environment only a default.
  const std::string* configured = session_.host().value(kSerialKey);
  const bool fromFile =
      configured != nullptr && (run_.options.probe.empty() || run_.options.probeFromEnvironment);
  const Selection selection = selectProbe(devices_, fromFile ? *configured : run_.options.probe);
  if (selection.status != kExitOk) return refuse(selection.status, selection.message);
  index_ = static_cast<std::size_t>(selection.device - devices_.data());
  // The framework takes the serial number as it stands, never as a prefix or an index.
  if (fromFile && device().serial != *configured)
    return refuse(kExitNoProbe, "no probe has the serial number " + printable(*configured) + " (" +
                                    kSerialKey + " in " + file + ")");
  run_.console.document()["probe"] = deviceJson(index_, device());
  if (!device().serial.empty()) {
    session_.host().set(kSerialKey, device().serial);
  } else if (selection.openIndex != 0) {
    return refuse(kExitUsage, "the probe at " + device().path +
                                  " has no readable serial number, so a framework session "
                                  "can open it only as the first probe");
  }
  return kExitOk;
}

int FrameworkSession::open() {
  const std::string& file = run_.options.config;
  std::string text, error;
  if (const int status = readSmallFile(file, kMaxConfigBytes, kExitConfig, text, error))
    return refuse(status, error);
  if (!session_.host().parse(text, error)) return refuse(kExitConfig, file + ", " + error);
  if (const int status = choose(); status != kExitOk) return status;
  // --clock stands in for the file's test clock.
  if (run_.options.clockHertz != 0) {
    session_.host().set("LOOM.TCLK_PROGRAM", "specific");
    char frequency[32];
    std::snprintf(frequency, sizeof frequency, "%.9gMHz",
                  static_cast<double>(run_.options.clockHertz) / 1e6);
    session_.host().set("LOOM.TCLK_FREQUENCY", frequency);
  }
  run_.console.detail(1) << "kestrel: framework session from " << file << " on the probe at "
                         << device().path << '\n';
  int32_t result = session_.createInterface();
  if (result != KST_OK) return refuse(kExitInternal, "no operation table: " + resultText(result));
  result = session_.createHandle();
  if (result != KST_OK)
    return refuse(kExitConfig, "the controller refused " + file + ": " + resultText(result));
  result = session_.open();
  if (result != KST_OK) {
    std::string message =
        "cannot open the controller on the probe at " + device().path + ": " + resultText(result);
    if (const std::string busy = result == KST_ERR_NO_PROBE ? busyText(run_.usb, device()) : "";
        !busy.empty())
      return refuse(kExitBusy, busy);
    return refuse(exitStatusForOpen(result), message);
  }
  const uint32_t clock = probe()->tclkFrequency;
  run_.console.document()["framework"] = {{"config", file}, {"tclk_frequency", clock}};
  // The probe runs at one of its own steps, which need not be the frequency the file asks.
  const std::string* asked = session_.host().value("LOOM.TCLK_FREQUENCY");
  const std::string askedBy =
      run_.options.clockHertz == clock ? ""
      : run_.options.clockHertz != 0 ? " (--clock asks " + clockText(run_.options.clockHertz) + ")"
      : asked != nullptr ? " (the file asks LOOM.TCLK_FREQUENCY=" + printable(*asked) + ")"
                         : "";
  run_.console.notice() << "kestrel: test clock " << clockText(clock) << askedBy << '\n';
  std::vector<std::string> known = session_.host().keysAsked();
  known.insert(known.end(), {kDriverKey, kSerialKey});
  for (const std::string& warning : unknownKeyWarnings(session_.host().keys(), known))
    run_.console.warn(file + ": " + warning);
  return kExitOk;
}

}  // namespace tool
