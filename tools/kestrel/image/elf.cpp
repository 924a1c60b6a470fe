// ELF executables, 32 and 64-bit, either byte order: the loadable segments (PT_LOAD) at their
// physical addresses, their bytes in the file only. The zero-filled rest of a segment (.bss)
// is the program's to clear, and gaps between segments are left as they are. Only the file
// header, the program headers and the segments' bytes are read, so an executable with
// megabytes of debugging sections costs no more than its loadable bytes.
#include "image/image.h"
#include "image/image_regions.h"

namespace tool {
namespace {

constexpr uint32_t kLoad = 1;
constexpr uint16_t kManyHeaders = 0xFFFF;  // PN_XNUM: the count is kept in a section header
constexpr std::size_t kHeader32 = 52, kHeader64 = 64, kEntry32 = 32, kEntry64 = 56;

class Fields {
 public:
  Fields(const uint8_t* bytes, bool bigEndian) : bytes_(bytes), big_(bigEndian) {}
  uint64_t at(std::size_t offset, std::size_t width) const {
    uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
      value |= uint64_t{bytes_[offset + i]} << 8 * (big_ ? width - 1 - i : i);
    return value;
  }

 private:
  const uint8_t* bytes_;
  bool big_;
};

}  // namespace

bool readElf(ImageSource& source, Image& image, std::string& error) {
  uint8_t header[kHeader64] = {};
  if (source.size() < kHeader32 || !source.read(0, header, kHeader32, error)) {
    error = "is too short for an ELF header";
    return false;
  }
  if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F') {
    error = "is not an ELF file";
    return false;
  }
  const bool wide = header[4] == 2;
  if ((header[4] != 1 && !wide) || (header[5] != 1 && header[5] != 2) || header[6] != 1) {
    error = "has an ELF class, byte order or version this reader does not know";
    return false;
  }
  if (wide && (source.size() < kHeader64 || !source.read(0, header, kHeader64, error))) {
    error = "is too short for an ELF header";
    return false;
  }
  const Fields fields(header, header[5] == 2);
  const std::size_t word = wide ? 8 : 4;
  const uint64_t tableOffset = fields.at(wide ? 32 : 28, word);
  const uint64_t entrySize = fields.at(wide ? 54 : 42, 2);
  const uint64_t entries = fields.at(wide ? 56 : 44, 2);
  const std::size_t minimum = wide ? kEntry64 : kEntry32;
  if (entries == kManyHeaders) {
    error = "has more program headers than this reader takes";
    return false;
  }
  if (entries == 0) {
    error = "has no program headers (an object file, not an executable?)";
    return false;
  }
  if (entrySize < minimum || entrySize > 256 || tableOffset > source.size() ||
      entries * entrySize > source.size() - tableOffset) {
    error = "has program headers outside the file";
    return false;
  }
  RegionCollector collector;
  uint8_t entry[kEntry64];
  std::vector<uint8_t> bytes;
  for (uint64_t i = 0; i < entries; ++i) {
    if (!source.read(tableOffset + i * entrySize, entry, minimum, error)) return false;
    const Fields segment(entry, header[5] == 2);
    if (segment.at(0, 4) != kLoad) continue;
    const uint64_t offset = segment.at(wide ? 8 : 4, word);
    const uint64_t physical = segment.at(wide ? 24 : 12, word);
    const uint64_t fileSize = segment.at(wide ? 32 : 16, word);
    const uint64_t memorySize = segment.at(wide ? 40 : 20, word);
    const std::string which = "segment " + std::to_string(i);
    if (fileSize > memorySize) {
      error = which + " holds more bytes in the file than in memory";
      return false;
    }
    if (offset > source.size() || fileSize > source.size() - offset) {
      error = which + " runs past the end of the file";
      return false;
    }
    if (fileSize > kMaxImageBytes) {
      error = which + " holds more than the " + std::to_string(kMaxImageBytes >> 20) +
              " MiB an image may put into memory";
      return false;
    }
    bytes.resize(static_cast<std::size_t>(fileSize));
    if (!source.read(offset, bytes.data(), bytes.size(), error) ||
        !collector.add(physical, bytes.data(), bytes.size(), error)) {
      error = which + ": " + error;
      return false;
    }
  }
  return collector.finish(image, error);
}

}  // namespace tool
