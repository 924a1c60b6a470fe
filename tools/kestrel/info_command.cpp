// kestrel info: the probe's identity, firmware and hardware, and the echo self-test.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "exit_status.h"
#include "firmware_version.h"
#include "framework_session.h"
#include "kestrel/kestrel.h"
#include "printable_text.h"
#include "probe_session.h"
#include "result_text.h"

namespace tool {
namespace {

// The command that updates this probe: the same probe choice and, on the virtual probe, the
// same firmware.
std::string updateCommand(const Options& options) {
  std::string command = "kestrel";
  if (options.sim) command += " --sim";
  if (options.sim && options.simFirmware != 0)
    command += " --firmware " + firmwareVersionText(options.simFirmware);
  if (!options.probe.empty()) command += " --probe " + options.probe;
  return command + " update";
}

bool echoTest(Invocation& run, KSTInform* probe, uint32_t size) {
  std::vector<uint8_t> sent(size), received(size);
  for (uint32_t i = 0; i < size; ++i) sent[i] = static_cast<uint8_t>(i * 7 + 1);
  const int32_t result = KST_Echo(probe, sent.data(), received.data(), size);
  const bool ok = result == KST_OK && received == sent;
  const std::string outcome = ok ? "ok" : result != KST_OK ? resultText(result) : "mismatch";
  run.console.text() << (size == 1 ? " " : ", ") << size << (size == 1 ? " byte " : " bytes ")
                     << run.console.paint(outcome,
                                          ok ? Console::Colour::Green : Console::Colour::Red);
  nlohmann::json entry = {{"bytes", size}, {"ok", ok}};
  if (!ok) entry["error"] = outcome;
  run.console.document()["self_test"].push_back(entry);
  return ok;
}

// framework: the --config session the probe was opened by, or null.
int report(Invocation& run, KSTInform* probe, const ListedDevice& device,
           const std::string* framework = nullptr) {
  std::ostream& text = run.console.text();
  text << "probe             " << (device.serial.empty() ? "(no serial number)" : printable(device.serial))
       << " at " << device.path << " (USB " << usbIdText(device) << ")\n";
  if (framework != nullptr)
    text << "test clock        " << probe->tclkFrequency << " Hz (framework session from "
         << *framework << ")\n";
  nlohmann::json& document = run.console.document();
  uint32_t firmware = 0;
  uint16_t hardware = 0;
  const int32_t version = KST_Version(probe, &firmware, &hardware);
  bool ok = version == KST_OK;
  if (ok) {
    const bool outdated = !firmwareAccepted(firmware);
    text << "firmware version  " << firmwareVersionText(firmware);
    if (outdated)
      text << run.console.paint(" (outdated: `" + updateCommand(run.options) + "` updates it)",
                                Console::Colour::Yellow);
    text << "\n";
    char hardwareText[16];
    std::snprintf(hardwareText, sizeof hardwareText, "0x%04x", hardware);
    text << "hardware id       " << hardwareText << "\n";
    document["firmware_version"] = firmwareVersionText(firmware);
    document["firmware_outdated"] = outdated;
    document["hardware_id"] = hardware;
  } else {
    run.console.error("the version command failed: " + resultText(version));
    document["firmware_version"] = nullptr;
    document["firmware_outdated"] = nullptr;
    document["hardware_id"] = nullptr;
  }
  text << "echo self-test   ";
  document["self_test"] = nlohmann::json::array();
  for (const uint32_t size : {1u, 64u, 4344u}) ok = echoTest(run, probe, size) && ok;
  text << "\n";
  if (!ok && version == KST_OK) run.console.error("the echo self-test failed");
  return run.console.finish(ok ? kExitOk : kExitIo);
}

}  // namespace

int runInfo(Invocation& run) {
  if (!run.options.config.empty()) {
    FrameworkSession session(run);
    if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
    return report(run, session.probe(), session.device(), &run.options.config);
  }
  ProbeSession session(run);
  if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
  return report(run, session.probe(), session.device());
}

}  // namespace tool
