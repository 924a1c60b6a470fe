// The Corvid extension: a vendor check request, and command blocks that travel as the
// payload of ordinary DNLOAD requests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dfu_handle.h"

namespace kst::update {

enum CorvidCode : uint8_t {
  kCorvidProgram = 1,
  kCorvidRead = 2,
  kCorvidDeviceInfo = 5,
  kCorvidUploadFormat = 6,
  kCorvidReset = 7,
};

constexpr uint16_t kCorvidMagic = 0x5A51;
constexpr uint16_t kCorvidVersion = 1;
constexpr std::size_t kDeviceInfoReplySize = 20;

// The vendor check request: true when exactly four bytes came back with the magic and
// version the client speaks.
bool corvidCheck(Handle& handle);

// Downloads an 8-byte command block (code, 0, u16 KiB address, u32 byte count) with its
// status wait.
int32_t corvidCommand(Handle& handle, CorvidCode code, uint32_t address, uint32_t count);

// Downloads the 11-byte upload-format block with its status wait.
int32_t corvidUploadFormat(Handle& handle, bool raw);

struct DeviceInfoReply {
  uint16_t blockSize;
  uint16_t blockCount;
  uint32_t partWord;
  uint32_t classWord;
  uint32_t flashTop;
  uint32_t appStart;
};

// False unless the whole 20-byte reply arrived.
bool readDeviceInfoReply(const uint8_t* bytes, std::size_t size, DeviceInfoReply& out);

// The device-info command and its upload; on success sets the handle's flash geometry.
// Returns false when any step failed (the geometry then stays as it was).
bool readCorvidDeviceInfo(Handle& handle);

// Where the firmware update points the download for a flash of this block size.
uint32_t applicationStartFor(uint16_t blockSize);

}  // namespace kst::update
