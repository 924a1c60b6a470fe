// Motorola S-records: "S" type, count (bytes of address, data and checksum), address, data,
// checksum (ones' complement of the low byte of the sum of count, address and data). S0 is a
// header, S1/S2/S3 data with 16/24/32-bit addresses, S5/S6 the count of data records, S7/S8/S9
// the end with the start address. S4 is reserved and refused.
#include "image/image.h"
#include "image/image_regions.h"
#include "image/text_lines.h"

namespace tool {

bool readSRecord(ImageSource& source, Image& image, std::string& error) {
  TextLines lines(source);
  RegionCollector collector;
  std::string line;
  uint64_t dataRecords = 0;
  bool ended = false;
  uint8_t bytes[256];
  while (lines.next(line, error)) {
    const std::string where = "line " + std::to_string(lines.number());
    if (ended) {
      error = where + " follows the termination record";
      return false;
    }
    if (line.size() < 4 || line[0] != 'S' || line[1] < '0' || line[1] > '9' ||
        line.size() % 2 != 0 || line.size() > 2 + 2 * sizeof bytes) {
      error = where + " is not an S-record";
      return false;
    }
    const int type = line[1] - '0';
    const std::size_t count = (line.size() - 2) / 2;
    int sum = 0;
    if (!hexBytes(&line[2], count, bytes, sum)) {
      error = where + " has a character that is not a hexadecimal digit";
      return false;
    }
    const std::size_t addressBytes = kSRecordAddressBytes[type];
    if (addressBytes == 0) {
      error = where + " is an S4 record, which no image uses";
      return false;
    }
    if (count != std::size_t{bytes[0]} + 1 || bytes[0] < addressBytes + 1) {
      error = where + "'s byte count does not match its length";
      return false;
    }
    if ((sum & 0xFF) != 0xFF) {
      error = where + " has a wrong checksum";
      return false;
    }
    uint64_t address = 0;
    for (std::size_t i = 0; i < addressBytes; ++i) address = address << 8 | bytes[1 + i];
    const uint8_t* data = bytes + 1 + addressBytes;
    const std::size_t length = bytes[0] - addressBytes - 1;
    if (type >= 1 && type <= 3) {
      ++dataRecords;
      if (!collector.add(address, data, length, error)) {
        error = where + ": " + error;
        return false;
      }
    } else if (type == 5 || type == 6) {
      if (length != 0 || address != (dataRecords & (type == 5 ? 0xFFFF : 0xFFFFFF))) {
        error = where + " counts " + std::to_string(address) + " data records; the file has " +
                std::to_string(dataRecords);
        return false;
      }
    } else if (type >= 7) {
      if (length != 0) {
        error = where + ": a termination record holds no data";
        return false;
      }
      ended = true;
    }
  }
  if (!error.empty()) return false;
  if (!ended) {
    error = "ends without a termination record (S7, S8 or S9)";
    return false;
  }
  return collector.finish(image, error);
}

}  // namespace tool
