// Loading what a command needs, then the command itself.
#include <string>

#include "capture_setup.h"
#include "commands.h"
#include "exit_status.h"
#include "sim_loader.h"
#include "trace_setup.h"

namespace tool {
namespace {

const char* commandName(Command command) {
  switch (command) {
    case Command::List:
      return "list";
    case Command::Info:
      return "info";
    case Command::JtagDetect:
      return "jtag detect";
    case Command::DapInfo:
      return "dap info";
    case Command::MemRead:
      return "mem read";
    case Command::MemWrite:
      return "mem write";
    case Command::PowerInfo:
      return "power info";
    case Command::Update:
      return "update";
  }
  return "";
}

}  // namespace

int refuseCommand(const Options& options, Console& console, int status, const std::string& why) {
  console.document()["command"] = commandName(options.command);
  console.error(why);
  return console.finish(status);
}

int runCommand(const Options& options, Console& console) {
  console.document()["command"] = commandName(options.command);
  std::string error;
  void* usbModule = nullptr;
  if (options.sim) {
    usbModule = loadVirtualProbe(error, options.simFirmware);
  } else {
    usbModule = loadLibraryLibusb(error);
  }
  UsbFunctions usb{};
  if (usbModule != nullptr && !resolveUsbFunctions(usbModule, usb, error)) usbModule = nullptr;
  int status = usbModule == nullptr ? kExitNoProbe : kExitOk;
  if (status == kExitOk && !options.capture.empty())
    status = startCapture(usbModule, options.capture, error);
  if (status == kExitOk && options.traceLevel != 0)
    status = configureTrace(options.traceLevel, options.traceFile, error);
  if (status != kExitOk) {
    console.error(error);
    return console.finish(status);
  }
  Invocation run{options, console, usb};
  switch (options.command) {
    case Command::List:
      return runList(run);
    case Command::Info:
      return runInfo(run);
    case Command::JtagDetect:
      return runJtagDetect(run);
    case Command::DapInfo:
      return runDapInfo(run);
    case Command::MemRead:
      return runMemRead(run);
    case Command::MemWrite:
      return runMemWrite(run);
    case Command::PowerInfo:
      return runPowerInfo(run);
    case Command::Update:
      return runUpdate(run);
  }
  return console.finish(kExitInternal);
}

}  // namespace tool
