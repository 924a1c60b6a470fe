#include "firmware_image.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kestrel/kst_update.h"
#include "platform/platform.h"

namespace kst::update {
namespace {

// Appends text, cut to what the buffer still holds.
void append(char* out, std::size_t outSize, const char* text) {
  const std::size_t used = std::strlen(out);
  if (used + 1 >= outSize) return;
  std::snprintf(out + used, outSize - used, "%s", text);
}

}  // namespace

bool firmwareImagePath(char* out, std::size_t outSize) {
  if (platform::modulePathWithName(out, outSize, platform::kOwnModuleName, "kestrel")) return false;
  append(out, outSize, "/firmware_");
  const int version[4] = {3, 0, 0, 29};
  char piece[16];
  for (int i = 0; i < 4; ++i) {
    std::snprintf(piece, sizeof piece, i < 3 ? "%d." : "%d.bin", version[i]);
    append(out, outSize, piece);
  }
  return true;
}

int32_t readImage(const char* path, uint8_t** image, uint32_t* size) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return KST_ERR_FIRMWARE_OPEN;
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  if (length < 0 || static_cast<unsigned long>(length) > UINT32_MAX ||
      std::fseek(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return KST_ERR_FIRMWARE_READ;
  }
  // One byte at least, so an empty image is not mistaken for a failed allocation.
  auto* bytes = static_cast<uint8_t*>(std::malloc(length == 0 ? 1 : static_cast<size_t>(length)));
  if (bytes == nullptr) {
    std::fclose(file);
    return KST_ERR_NO_MEMORY;
  }
  const std::size_t read = std::fread(bytes, 1, static_cast<size_t>(length), file);
  std::fclose(file);
  if (read != static_cast<std::size_t>(length)) {
    std::free(bytes);
    return KST_ERR_FIRMWARE_READ;
  }
  *image = bytes;
  *size = static_cast<uint32_t>(length);
  return KST_OK;
}

}  // namespace kst::update
