// What the command line asks for, after parsing.
#pragma once

#include <cstdint>
#include <string>

namespace tool {

enum class Command { Info, List, JtagDetect, DapInfo, MemRead, MemWrite, PowerInfo, Update };

struct Options {
  Command command = Command::Info;
  bool sim = false;         // run on the virtual probe instead of the real USB bus
  std::string probe;        // the probe selector (--probe, --serial or KESTREL_PROBE); empty: any
  int traceLevel = 0;       // logger level for --trace (0: leave the logger alone)
  std::string traceFile;    // --trace-file: trace lines go there instead of stderr
  std::string capture;      // --capture: the virtual probe's bus traffic goes there (pcap)
  bool json = false;        // one JSON document on standard output, nothing else
  bool quiet = false;       // errors only
  int verbosity = 0;        // -v, -vv: more detail
  uint64_t clockHertz = 0;  // --clock: the test clock to ask for (0: the probe's own)
  // mem read / mem write
  uint64_t address = 0;
  bool addressGiven = false;  // mem write ADDR FILE: a raw binary at ADDR
  uint64_t length = 0;        // mem read
  unsigned wordWidth = 1;     // mem read -w: the hexdump's word width in bytes
  std::string format;         // --format: bin, elf, ihex or srec (empty: from the file)
  std::string file;           // mem write: the bytes to write; mem read --out: where they go
  bool verify = false;        // mem write --verify: read back and compare
  uint8_t accessPort = 0;     // --ap: the MEM-AP the transfer goes through
  // --config: run as a framework session from this configuration file
  std::string config;
  bool probeFromEnvironment = false;  // probe came from KESTREL_PROBE, not --probe

  // The firmware update.
  uint32_t simFirmware = 0;  // --firmware: the virtual probe's firmware version (0: current)
  bool force = false;        // update --force: also a probe whose firmware is current
  std::string image;         // update --image: download this image instead of the library's
};

}  // namespace tool
