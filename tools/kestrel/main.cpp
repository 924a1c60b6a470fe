// kestrel: the command-line tool for the Kestrel USB debug probe.
#include <cstdio>
#include <string>

#include "commands.h"
#include "options.h"
#include "sim_loader.h"
#include "trace_setup.h"

namespace {

const char kUsage[] =
    "usage: kestrel [--sim] [--index N] [--serial TEXT] COMMAND\n"
    "\n"
    "commands:\n"
    "  info          show the probe's firmware and hardware and run the echo self-test\n"
    "  jtag detect   reset the scan chain and list its TAPs (IDCODE, IR length)\n"
    "  dap info      the ARM debug port's IDCODE and its access ports\n"
    "  mem read ADDR LEN [--out FILE]   read target memory (hexdump, or into FILE)\n"
    "  mem write ADDR FILE [--verify]   write FILE into target memory, read back to compare\n"
    "  power info    the power-measurement unit's hardware and DC-DC controller\n"
    "\n"
    "options:\n"
    "  --sim         use the virtual probe instead of the USB bus\n"
    "  --index N     the N-th probe of its kind (default 0)\n"
    "  --serial TEXT the probe with this serial number\n"
    "  --trace[=N]   trace every command through the logger at level N (default 3, up to 6)\n"
    "  --trace-file FILE  write the trace to FILE instead of standard error\n";

}  // namespace

int main(int argc, char** argv) {
  tool::Options options;
  std::string error;
  if (!tool::parseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "kestrel: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.words.empty() || options.words[0] == "help") {
    std::fputs(kUsage, options.words.empty() ? stderr : stdout);
    return options.words.empty() ? 2 : 0;
  }
  if (options.traceLevel != 0 &&
      !tool::configureTrace(options.traceLevel, options.traceFile, error)) {
    std::fprintf(stderr, "kestrel: %s\n", error.c_str());
    return 1;
  }
  if (options.sim && !tool::loadVirtualProbe(error)) {
    std::fprintf(stderr, "kestrel: %s\n", error.c_str());
    return 1;
  }
  const std::string& command = options.words[0];
  const std::size_t words = options.words.size();
  if (command == "info" && words == 1) return tool::runInfo(options);
  if (command == "jtag" && words == 2 && options.words[1] == "detect")
    return tool::runJtagDetect(options);
  if (command == "dap" && words == 2 && options.words[1] == "info")
    return tool::runDapInfo(options);
  if (command == "power" && words == 2 && options.words[1] == "info")
    return tool::runPowerInfo(options);
  if (command == "mem" && words == 4 && options.words[1] == "read")
    return tool::runMemRead(options, {options.words[2], options.words[3], options.outFile});
  if (command == "mem" && words == 4 && options.words[1] == "write")
    return tool::runMemWrite(options, {options.words[2], options.words[3], options.verify});
  std::fprintf(stderr, "kestrel: unknown command '%s'\n%s", command.c_str(), kUsage);
  return 2;
}
