// Feeds the DFU client's device open (descriptors, the Corvid check, the device-info reply)
// and a short download with replies taken from the fuzzer's bytes. Each request takes one
// length byte (0xFF: the request fails; for OUT requests any non-zero byte fails it) and,
// for IN requests, up to that many reply bytes. Once the bytes run out every request fails,
// so every loop of the client must end.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "update/dfu_handle.h"

namespace {

struct ByteStream {
  const uint8_t* data;
  std::size_t size;
};

int transfer(void* link, const kst::update::Setup& setup, uint8_t* out) {
  auto* stream = static_cast<ByteStream*>(link);
  if (stream->size == 0) return -1;
  const uint8_t length = *stream->data++;
  --stream->size;
  if ((setup.requestType & 0x80) == 0) return length == 0 ? setup.length : -1;
  if (length == 0xFF) return -1;
  std::size_t moved = length < setup.length ? length : setup.length;
  if (moved > stream->size) moved = stream->size;
  if (moved != 0) std::memcpy(out, stream->data, moved);
  stream->data += moved;
  stream->size -= moved;
  return static_cast<int>(moved);
}

void pause(void*, uint32_t) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  ByteStream stream{data, size};
  kst::update::Handle handle{};
  handle.port = kst::update::ControlPort{transfer, pause, &stream};
  kst::update::DeviceInfo info{};
  if (kst::update::openOverPort(handle, info) != kst::update::DFU_OK) return 0;
  if (info.partName[sizeof info.partName - 1] != '\0') __builtin_trap();
  const uint8_t image[40] = {1, 2, 3, 4, 5, 6, 7, 8};
  kst::update::QZDFUDownloadBin(&handle, image, sizeof image, handle.appStartAddress, 1);
  return 0;
}
