#include "framework_session.h"

#include <unistd.h>

#include "device_json.h"
#include "exit_status.h"
#include "probe_selector.h"
#include "result_text.h"

namespace tool {
namespace {

const char kDriverKey[] = "HARP.POD_DRVR";
const char kSerialKey[] = "HARP.POD_SERIAL";

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
    return refuse(kExitNoProbe, "no probe has the serial number " + *configured + " (" +
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
  if (access(file.c_str(), R_OK) != 0) return refuse(kExitIo, "cannot read " + file);
  std::string error;
  if (!session_.configure(file, error)) return refuse(kExitConfig, error);
  if (const int status = choose(); status != kExitOk) return status;
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
    if (result == KST_ERR_NO_PROBE) message += " (is another program using it?)";
    return refuse(exitStatusForOpen(result), message);
  }
  run_.console.document()["framework"] = {{"config", file},
                                          {"tclk_frequency", probe()->tclkFrequency}};
  return kExitOk;
}

}  // namespace tool
