// kestrel update: replace the probe's firmware with the image installed beside the library,
// the one given, or on the virtual probe its own.
#include <string>

#include "commands.h"
#include "exit_status.h"
#include "firmware_version.h"
#include "kestrel/kestrel.h"
#include "kestrel/kst_update.h"
#include "private_library.h"
#include "probe_session.h"
#include "result_text.h"
#include "sim_loader.h"
#include "update_failure.h"
#include "update_image.h"
#include "update_progress.h"

namespace tool {
namespace {

// The image the library will read, checked before the probe is opened: a file that cannot be
// downloaded must not leave the probe in its bootloader. It is named as the user knows it
// (the file given, or the virtual probe's), though the library reads its private copy.
int checkImages(Invocation& run, std::string& shown, ImageCheck& check) {
  std::string path, error;
  if (!libraryImagePath(path, error)) {
    run.console.error(error);
    return kExitInternal;
  }
  const bool copied = !run.options.image.empty() || run.options.sim;
  shown = !run.options.image.empty() ? run.options.image
          : run.options.sim         ? virtualProbeImagePath()
                                    : path;
  if (copied && !inPrivateRun(error)) {
    run.console.error(error.empty() ? "an update with " + shown +
                                          " runs only on a private copy of the library"
                                    : error);
    return kExitInternal;
  }
  check = checkImage(path);
  if (check.status == kExitNoInput && !copied) {
    run.console.error("no firmware image at " + path + ": place the probe's firmware there, " +
                      "or give one with --image FILE");
    return check.status;
  }
  if (check.status != kExitOk) {
    // The copy's path in the line is the user's file.
    const std::string error = check.error;
    const auto at = error.find(path);
    run.console.error(at == std::string::npos
                          ? error
                          : error.substr(0, at) + shown + error.substr(at + path.size()));
    return check.status;
  }
  run.console.document()["image"] = shown;
  run.console.document()["image_bytes"] = check.bytes;
  run.console.document()["image_version"] = firmwareVersionText(check.version);
  return kExitOk;
}

// The probe's firmware version into the document's field (null when the read fails).
int32_t readVersion(Invocation& run, KSTInform* probe, const char* field, uint32_t& version) {
  uint16_t hardware = 0;
  const int32_t result = KST_Version(probe, &version, &hardware);
  run.console.document()[field] =
      result == KST_OK ? nlohmann::json(firmwareVersionText(version)) : nlohmann::json();
  return result;
}

}  // namespace

int runUpdate(Invocation& run) {
  nlohmann::json& document = run.console.document();
  document["updated"] = false;
  std::string image;
  ImageCheck check;
  if (const int status = checkImages(run, image, check); status != kExitOk)
    return run.console.finish(status);
  ProbeSession session(run);
  if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
  const ListedDevice& device = session.device();
  std::ostream& text = run.console.text();
  text << "probe             " << (device.serial.empty() ? "(no serial number)" : device.serial)
       << " at " << device.path << " (USB " << usbIdText(device) << ")\n";
  uint32_t before = 0;
  if (const int32_t read = readVersion(run, session.probe(), "firmware_before", before);
      read != KST_OK) {
    run.console.error("the version command failed: " + resultText(read));
    return run.console.finish(kExitIo);
  }
  document["firmware_version"] = document["firmware_before"];
  const bool outdated = !firmwareAccepted(before);
  text << "firmware version  " << firmwareVersionText(before)
       << (outdated ? run.console.paint(" (outdated)", Console::Colour::Yellow) : "") << '\n';
  if (!outdated && !run.options.force) {
    text << "firmware is current; nothing to update (--force installs the image anyway)\n";
    return run.console.finish(kExitOk);
  }
  text << "installing        " << image << " (firmware " << firmwareVersionText(check.version)
       << ", " << check.bytes << " bytes)\n";

  // The steps are shown only where someone reads them: the library pauses about a second
  // before each of its messages, which a script or a log would only wait for.
  const bool bar = run.console.watched();
  const bool shown = bar || run.options.verbosity >= 1;
  UpdateProgress progress(bar ? text : run.console.detail(1),
                          bar ? UpdateProgress::Style::kBar : UpdateProgress::Style::kLines);
  KSTInform** context = session.context();
  const int32_t result = KST_AutoUpdate(context, session.openIndex(), session.openSerial(), 0,
                                        shown ? progress.callback() : nullptr);
  progress.end();
  uint32_t after = 0;
  const bool probeBack = *context != nullptr;
  const int32_t read = probeBack ? readVersion(run, *context, "firmware_version", after) : 0;
  if (!probeBack) document["firmware_version"] = nullptr;
  if (result != KST_OK) {
    const UpdateFailure failure = updateFailure(result, probeBack);
    document["failed_step"] = failure.step;
    document["result_code"] = result;
    std::string line =
        std::string("update failed while ") + failure.during + ": " + resultText(result);
    if (probeBack && read == KST_OK) line += "; the probe reports " + firmwareVersionText(after);
    run.console.error(line);
    return run.console.finish(failure.status);
  }
  if (read != KST_OK) {
    run.console.error("the version command failed after the update: " + resultText(read));
    return run.console.finish(kExitIo);
  }
  document["updated"] = true;
  text << "updated firmware  " << firmwareVersionText(after) << '\n';
  return run.console.finish(kExitOk);
}

}  // namespace tool
