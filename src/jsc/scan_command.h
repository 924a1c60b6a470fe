// The fields every scan command takes, derived once from a descriptor and a request.
#pragma once

#include <cstdint>

#include "kestrel/jsc_records.h"
#include "kestrel/kst_types.h"

struct JscHandle;

namespace kst::jsc {

// The probe context of a handle for a JTAG operation: -122 without a handle or controller
// record (nothing else of the handle is read then), -611 while connected in SWD mode.
int32_t jtagProbe(JscHandle* handle, KSTInform*& probe);

struct ScanFields {
  uint16_t bits;
  uint8_t shiftState;
  uint8_t startMode;
  uint8_t endState;
  uint8_t endMode;
  uint16_t firstAmble;
  uint16_t secondAmble;
  uint16_t tclkCount;
  uint16_t repeat;
};

// Checks the descriptor, takes its amble counts and the TCLK count of tclkValue. Counts that
// do not fit their 16-bit command fields are refused (-122) rather than cut.
int32_t scanFields(const JscHandle& handle, const PathDescriptor* path, uint32_t tclkValue,
                   uint32_t bits, uint32_t repeat, ScanFields& fields);

// a * b, saturated: the command refuses a length beyond the packet anyway.
uint32_t saturatedProduct(uint32_t a, uint32_t b);

}  // namespace kst::jsc
