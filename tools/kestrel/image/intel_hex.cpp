// Intel HEX: ":LLAAAATT<data>CC" records. Types 00 data, 01 end of file, 02 extended segment
// address (base = value * 16), 03 start segment address, 04 extended linear address (base =
// value << 16), 05 start linear address. The checksum makes the sum of the record's bytes 0.
#include "image/image.h"
#include "image/image_regions.h"
#include "image/text_lines.h"

namespace tool {

bool readIntelHex(ImageSource& source, Image& image, std::string& error) {
  TextLines lines(source);
  RegionCollector collector;
  std::string line;
  uint64_t base = 0;
  bool ended = false;
  uint8_t bytes[260];
  while (lines.next(line, error)) {
    const std::string where = "line " + std::to_string(lines.number());
    if (ended) {
      error = where + " follows the end-of-file record";
      return false;
    }
    if (line[0] != ':' || line.size() < 11 || line.size() % 2 == 0 ||
        line.size() > 1 + 2 * sizeof bytes) {
      error = where + " is not an Intel HEX record";
      return false;
    }
    const std::size_t count = (line.size() - 1) / 2;
    int sum = 0;
    if (!hexBytes(&line[1], count, bytes, sum)) {
      error = where + " has a character that is not a hexadecimal digit";
      return false;
    }
    const std::size_t length = bytes[0];
    if (count != length + 5) {
      error = where + " holds " + std::to_string(count - 5) + " data bytes, its length says " +
              std::to_string(length);
      return false;
    }
    if ((sum & 0xFF) != 0) {
      error = where + " has a wrong checksum";
      return false;
    }
    const uint32_t offset = static_cast<uint32_t>(bytes[1] << 8 | bytes[2]);
    const uint8_t type = bytes[3];
    const uint8_t* data = bytes + 4;
    const auto needs = [&](std::size_t wanted) {
      if (length == wanted) return true;
      error = where + ": a type " + std::to_string(type) + " record holds " +
              std::to_string(wanted) + " bytes, not " + std::to_string(length);
      return false;
    };
    switch (type) {
      case 0:
        // The offset wraps inside its 64 KiB segment; a record that would wrap is refused
        // rather than written to an address its author may not have meant.
        if (offset + length > 0x10000) {
          error = where + " runs past the end of its 64 KiB segment";
          return false;
        }
        if (!collector.add(base + offset, data, length, error)) {
          error = where + ": " + error;
          return false;
        }
        break;
      case 1:
        if (!needs(0)) return false;
        ended = true;
        break;
      case 2:
        if (!needs(2)) return false;
        base = static_cast<uint64_t>(data[0] << 8 | data[1]) << 4;
        break;
      case 4:
        if (!needs(2)) return false;
        base = static_cast<uint64_t>(data[0] << 8 | data[1]) << 16;
        break;
      case 3:
      case 5:  // where execution starts: nothing to write
        if (!needs(4)) return false;
        break;
      default:
        error = where + " has the unknown record type " + std::to_string(type);
        return false;
    }
  }
  if (!error.empty()) return false;
  if (!ended) {
    error = "ends without an end-of-file record (type 01)";
    return false;
  }
  return collector.finish(image, error);
}

}  // namespace tool
