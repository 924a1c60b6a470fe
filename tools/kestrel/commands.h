// The kestrel tool's subcommands. Each returns the process exit status.
#pragma once

#include <string>

#include "console.h"
#include "options.h"
#include "usb_functions.h"

namespace tool {

struct Invocation {
  const Options& options;
  Console& console;
  const UsbFunctions& usb;  // from the libusb the library binds, for listing the bus
};

int runList(Invocation& run);
int runInfo(Invocation& run);
int runJtagDetect(Invocation& run);
int runDapInfo(Invocation& run);
int runMemRead(Invocation& run);
int runMemWrite(Invocation& run);
int runPowerInfo(Invocation& run);
int runUpdate(Invocation& run);

// Loads what the options ask for (virtual probe, logger, libusb) and runs the command.
int runCommand(const Options& options, Console& console);
// Ends the command before it ran, with one line saying why.
int refuseCommand(const Options& options, Console& console, int status, const std::string& why);

}  // namespace tool
