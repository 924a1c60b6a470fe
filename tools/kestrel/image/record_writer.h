// Memory read out as Intel HEX or S-record text, record by record as the bytes arrive: 16
// data bytes a record, Intel HEX with extended linear address records where the upper half of
// the address changes, S-records with the narrowest address field the range allows, a count
// record and the matching termination record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "image/image.h"

namespace tool {

// Empty when length bytes from address can be written in format (both text formats end at
// 4 GiB); otherwise the reason.
std::string recordRangeProblem(ImageFormat format, uint64_t address, uint64_t length);

class RecordWriter {
 public:
  RecordWriter(std::ostream& out, ImageFormat format, uint64_t address, uint64_t length);
  void add(const uint8_t* bytes, std::size_t count);
  void finish();  // the last data record and the closing records

 private:
  void record(int type, uint64_t address, const uint8_t* data, std::size_t count);
  void flushData();

  std::ostream& out_;
  bool hex_;
  std::size_t addressBytes_;  // S-records: 2, 3 or 4
  uint64_t address_;          // of the first byte in line_
  uint8_t line_[16] = {};
  std::size_t filled_ = 0;
  uint64_t upper_ = UINT64_MAX;  // Intel HEX: the last extended linear address written
  uint64_t records_ = 0;
};

}  // namespace tool
