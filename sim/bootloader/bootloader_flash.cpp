// The bootloader's flash: downloads written into it, Corvid command blocks, and uploads.
#include <cstring>

#include "bootloader.h"
#include "dfu_states.h"

namespace ksim {

using namespace dfu;

namespace {

enum CorvidCode : uint8_t {
  kProgram = 1,
  kRead = 2,
  kDeviceInfo = 5,
  kUploadFormat = 6,
  kReset = 7
};

constexpr uint16_t kCommandSize = 8;
constexpr uint16_t kUploadFormatSize = 11;
constexpr uint32_t kDeviceInfoSize = 20;
constexpr uint32_t kDfuPrefixSize = 8;  // u32 address, u32 byte count

uint32_t le32(const uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint8_t byteOf(uint32_t value, uint32_t index) {
  return static_cast<uint8_t>(value >> (8 * index));
}

}  // namespace

bool Bootloader::commandBlock(const uint8_t* data, uint16_t length) const {
  if (length == kUploadFormatSize) return data[0] == kUploadFormat;
  if (length != kCommandSize || data[1] != 0) return false;
  return data[0] == kProgram || data[0] == kRead || data[0] == kDeviceInfo || data[0] == kReset;
}

void Bootloader::erase(uint32_t from, uint32_t to) {
  const uint32_t block = config_.blockSize;
  for (uint32_t at = from / block * block; at < to && at < flashTop(); at += block)
    std::memset(flash_.data() + at, 0xFF, block);
}

ControlReply Bootloader::download(const ControlRequest& request, const uint8_t* data) {
  if (request.length > config_.transferSize) return stall(kErrStalledPkt);
  if (request.length == 0) {
    if (!programming_ || state_ != kDnloadIdle) return stall(kErrStalledPkt);
    if (!plainDownload_ && writeAt_ != writeEnd_) return stall(kErrNotDone);
    programming_ = false;
    manifested_ = false;
    state_ = kManifestSync;
    return {ControlReply::kDone, 0};
  }
  state_ = kDnloadSync;
  busyPolls_ = 0;
  afterSync_ = kDnloadIdle;
  if (programming_) {
    writeBlock(data, request.length);
  } else if (commandBlock(data, request.length)) {
    runCommand(data, request.length);
  } else {
    programming_ = plainDownload_ = true;
    writeAt_ = config_.appStart;
    writeEnd_ = flashTop();
    dataBlocks_ = 0;
    erase(writeAt_, writeEnd_);
    writeBlock(data, request.length);
  }
  return {ControlReply::kDone, request.length};
}

void Bootloader::writeBlock(const uint8_t* data, uint16_t length) {
  const bool failAtThisBlock = dataBlocks_++ == faults_.errorAtBlock;
  if (failAtThisBlock || length > writeEnd_ - writeAt_) {
    status_ = failAtThisBlock ? faults_.errorStatus : static_cast<uint8_t>(kErrAddress);
    afterSync_ = kError;
    return;
  }
  std::memcpy(flash_.data() + writeAt_, data, length);
  if (faults_.verifyMismatch) flash_[writeAt_] ^= 0x01;
  writeAt_ += length;
  busyMs_ = config_.blockPollMs;
  busyPolls_ = config_.blockPollMs != 0 ? 1 : 0;
}

void Bootloader::runCommand(const uint8_t* data, uint16_t length) {
  afterSync_ = kIdle;
  const uint32_t address = (data[2] | data[3] << 8) * 1024u;
  const uint32_t count = le32(data + 4);
  const bool inFlash = address <= flashTop() && count <= flashTop() - address;
  switch (data[0]) {
    case kProgram:
      if (!inFlash || address < config_.appStart) break;
      programming_ = true;
      plainDownload_ = false;
      writeAt_ = address;
      writeEnd_ = address + count;
      dataBlocks_ = 0;
      erase(writeAt_, writeEnd_);
      busyMs_ = config_.erasePollMs;
      busyPolls_ = config_.erasePolls;
      return;
    case kRead:
      if (!inFlash) break;
      uploadKind_ = Upload::kRead;
      readAddress_ = address;
      readCount_ = count;
      uploaded_ = 0;
      return;
    case kDeviceInfo:
      uploadKind_ = Upload::kDeviceInfo;
      uploaded_ = 0;
      return;
    case kUploadFormat:
      rawUploads_ = length == kUploadFormatSize && data[1] == 1;
      return;
    case kReset:
      leaveAfterStatus_ = true;
      return;
    default:
      return;
  }
  status_ = kErrAddress;
  afterSync_ = kError;
}

uint32_t Bootloader::uploadSize() const {
  switch (uploadKind_) {
    case Upload::kDeviceInfo:
      return kDeviceInfoSize;
    case Upload::kRead:
      return readCount_ + (rawUploads_ ? 0 : kDfuPrefixSize);
    default:
      return flashTop() - config_.appStart;
  }
}

uint8_t Bootloader::uploadByte(uint32_t offset) const {
  if (uploadKind_ == Upload::kDeviceInfo) {
    const uint32_t fields[5] = {static_cast<uint32_t>(config_.blockSize | config_.blockCount << 16),
                                config_.partWord, config_.classWord, flashTop(), config_.appStart};
    return byteOf(fields[offset / 4], offset % 4);
  }
  if (uploadKind_ == Upload::kRead) {
    if (!rawUploads_) {
      if (offset < kDfuPrefixSize)
        return byteOf(offset < 4 ? readAddress_ : readCount_, offset % 4);
      offset -= kDfuPrefixSize;
    }
    return flash_[readAddress_ + offset];
  }
  return flash_[config_.appStart + offset];
}

ControlReply Bootloader::upload(const ControlRequest& request, uint8_t* data) {
  const uint32_t left = uploadSize() - uploaded_;
  const uint16_t length = left < request.length ? static_cast<uint16_t>(left) : request.length;
  for (uint16_t i = 0; i < length; ++i) data[i] = uploadByte(uploaded_ + i);
  uploaded_ += length;
  if (length < request.length) {
    state_ = kIdle;  // a short frame ends the upload
    endTransfers();
  } else {
    state_ = kUploadIdle;
  }
  return {ControlReply::kDone, length};
}

uint32_t Bootloader::imageVersion() const {
  const uint32_t at = config_.appStart + kImageVersionOffset;
  return at + 4 <= flashTop() ? le32(flash_.data() + at) : 0;
}

}  // namespace ksim
