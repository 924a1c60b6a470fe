// The ARM side of the target: a debug port with its MEM-APs in front of one sparse memory,
// reached by the CMAPI, SWD, ARMv7 and SecAP commands.
//
// What the pass-through arguments mean to this firmware:
//
// CMAPI_MEMREAD/MEMWRITE(64) (19, 20, 61, 62): selector A is the AP number; selector B the
//   access size (0 bytes, 1 halfwords, 2 words; address and count must be multiples of it);
//   selector C 0 for incrementing accesses, 1 for every access at the one address (a FIFO).
//   The attribute word goes into CSW bits 8-31 of the accesses (its low byte is ignored).
// CMAPI_DAPREGREAD/WRITE (21, 22): selector A 0 for a DP register, 1 for an AP register;
//   selector B the AP number; selector C the register's byte offset (DP 0x0-0xC, AP
//   0x00-0xFC with the bank in bits 7:4). The firmware writes SELECT itself.
// SWD_REGREAD/WRITE (27, 28): the first selector 0 for DP, 1 for AP; the second the
//   register address A[3:2] (0x0, 0x4, 0x8, 0xC). AP accesses go to the AP and bank SELECT
//   holds, as on the wire; reads return the value at once (the firmware reads RDBUFF).
//   The write's trailing flag non-zero makes it a write-and-flush (RDBUFF read after it).
// ARMV7_MEMREAD/WRITE (71, 72): selector 1 the AP number; selector 2 the access size in
//   bytes (1, 2 or 4); word 1 the address; word 2 the attribute word as for CMAPI.
// SECAP_BULKWRITE/READ (80, 81): the selector is the AP number; the words move at the AP's
//   current TAR (set it with CMAPI_DAPREGWRITE), incrementing, TAR left after the last word.
//
// CMAPI_CONNECT powers the debug port up (request and acknowledge in CTRL/STAT) and answers
// the DP IDCODE; memory and register commands before it are refused (not connected), as
// are SWD register commands before SWD_CONNECT. AP accesses on a powered-down port answer
// powered down; accesses touching a faulting range answer a memory fault, set STICKYERR and
// stop the block there.
#pragma once

#include "arm/debug_port.h"
#include "memory/sparse_memory.h"
#include "probe/unit.h"

namespace ksim::units::arm {

class ArmUnit : public Unit {
 public:
  explicit ArmUnit(const ProbeConfig& config) : port(config.target, memory) {
    for (const AddressRange& range : config.target.armFaults)
      memory.addFault(range.begin, range.end);
  }
  // The port's APs point at memory: the unit stays where it was made.
  ArmUnit(const ArmUnit&) = delete;
  ArmUnit& operator=(const ArmUnit&) = delete;

  void report(ProbeStatus& status) const override {
    status.dapConnected = dapConnected;
    status.swdConnected = swdConnected;
    status.swoEnabled = swoEnabled;
  }

  SparseMemory memory;
  DebugPort port;
  bool dapConnected = false;
  bool swdConnected = false;
  bool swoEnabled = false;
};

}  // namespace ksim::units::arm
