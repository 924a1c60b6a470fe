// kestrel jtag detect: reset the chain and list its TAPs.
#include "commands.h"
#include "exit_status.h"
#include "framework_session.h"
#include "jtag_detect.h"
#include "kestrel/kestrel.h"
#include "probe_session.h"
#include "result_text.h"

namespace tool {
namespace {

// A TAP in the JSON document: position, idcode (null for BYPASS) with its manufacturer, part
// and version fields, ir_length (null when the capture pattern did not tell).
nlohmann::json tapJson(std::size_t position, const DetectedTap& tap) {
  nlohmann::json json = {{"position", position}, {"idcode", nullptr}};
  if (tap.hasIdcode) {
    json["idcode"] = tap.idcode;
    json["manufacturer"] = (tap.idcode >> 1) & 0x7FF;
    json["part"] = (tap.idcode >> 12) & 0xFFFF;
    json["version"] = tap.idcode >> 28;
  }
  json["ir_length"] = tap.irLength >= 0 ? nlohmann::json(tap.irLength) : nlohmann::json();
  return json;
}

int report(Invocation& run, ChainAccess& chain) {
  ChainReport report;
  std::string problem;
  const int32_t result = detectChain(chain, report, problem);
  if (result != KST_OK) {
    run.console.error("chain detection failed: " + resultText(result));
    return run.console.finish(kExitIo);
  }
  if (!problem.empty()) {
    run.console.error(problem);
    return run.console.finish(kExitIo);
  }
  if (report.taps.empty()) {
    // The probe works but nothing answers behind it: the target is what is unavailable.
    run.console.error(
        "no TAP found: is the target powered, and are TCK, TMS, TDI, TDO and ground wired?");
    return run.console.finish(kExitNoProbe);
  }
  std::ostream& text = run.console.text();
  text << report.taps.size() << " TAP" << (report.taps.size() == 1 ? "" : "s") << ", IR "
       << report.totalIrLength << " bits in all\n";
  nlohmann::json& document = run.console.document();
  document["ir_length_total"] = report.totalIrLength;
  document["taps"] = nlohmann::json::array();
  for (std::size_t i = 0; i < report.taps.size(); ++i) {
    text << describeTap(i, report.taps[i]) << '\n';
    document["taps"].push_back(tapJson(i, report.taps[i]));
  }
  return run.console.finish(kExitOk);
}

}  // namespace

int runJtagDetect(Invocation& run) {
  if (!run.options.config.empty()) {
    FrameworkSession session(run);
    if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
    return report(run, session.chain());
  }
  ProbeSession session(run);
  if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
  ProbeChain chain(session.probe());
  return report(run, chain);
}

}  // namespace tool
