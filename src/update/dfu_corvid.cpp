#include "dfu_corvid.h"

#include "dfu_requests.h"
#include "dfu_transfer.h"
#include "link/wire.h"

namespace kst::update {
namespace {

constexpr uint8_t kVendorIn = 0xA1;  // device to host, class, interface
constexpr uint8_t kCorvidCheckRequest = 0x42;
constexpr uint16_t kCorvidCheckValue = 0x0023;
constexpr std::size_t kCommandSize = 8;
constexpr std::size_t kUploadFormatSize = 11;

}  // namespace

bool corvidCheck(Handle& handle) {
  uint8_t reply[4] = {};
  const Setup setup{kVendorIn, kCorvidCheckRequest, kCorvidCheckValue, handle.interfaceNumber,
                    sizeof reply};
  if (endpoint0Transfer(handle, setup, reply) != static_cast<int>(sizeof reply)) return false;
  wire::Reader reader(reply, sizeof reply);
  return reader.u16() == kCorvidMagic && reader.u16() == kCorvidVersion;
}

int32_t corvidCommand(Handle& handle, CorvidCode code, uint32_t address, uint32_t count) {
  uint8_t block[kCommandSize] = {code, 0};
  wire::putU16(block + 2, static_cast<uint16_t>(address / 1024));
  wire::putU32(block + 4, count);
  return downloadBlock(handle, block, sizeof block, true);
}

int32_t corvidUploadFormat(Handle& handle, bool raw) {
  const uint8_t block[kUploadFormatSize] = {kCorvidUploadFormat, static_cast<uint8_t>(raw ? 1 : 0)};
  return downloadBlock(handle, block, sizeof block, true);
}

bool readDeviceInfoReply(const uint8_t* bytes, std::size_t size, DeviceInfoReply& out) {
  if (size != kDeviceInfoReplySize) return false;
  wire::Reader reader(bytes, size);
  out.blockSize = reader.u16();
  out.blockCount = reader.u16();
  out.partWord = reader.u32();
  out.classWord = reader.u32();
  out.flashTop = reader.u32();
  out.appStart = reader.u32();
  return reader.ok();
}

uint32_t applicationStartFor(uint16_t blockSize) {
  return blockSize >= 0x4000 ? 0x4000 : 0x1800;
}

bool readCorvidDeviceInfo(Handle& handle) {
  if (corvidCommand(handle, kCorvidDeviceInfo, 0, 0) != DFU_OK) return false;
  uint8_t bytes[kDeviceInfoReplySize] = {};
  const int moved = requestUpload(handle, bytes, sizeof bytes);
  DeviceInfoReply reply{};
  if (moved < 0 || !readDeviceInfoReply(bytes, static_cast<std::size_t>(moved), reply))
    return false;
  // A block size of 0 would make every block count a division by zero; such a reply leaves
  // the geometry at 0, so no download fits the flash.
  if (reply.blockSize == 0) return false;
  handle.blockSize = reply.blockSize;
  handle.appStartBlock = static_cast<uint16_t>(reply.appStart / reply.blockSize);
  handle.flashTopBlock = static_cast<uint16_t>(reply.flashTop / reply.blockSize);
  handle.classWord = reply.classWord;
  handle.partWord = reply.partWord;
  handle.appStartAddress = applicationStartFor(reply.blockSize);
  return true;
}

}  // namespace kst::update
