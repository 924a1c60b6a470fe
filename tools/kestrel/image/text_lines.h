// The lines of a text image (Intel HEX, S-record), read a piece at a time: a line ends at LF,
// CR or CR LF; blank lines are skipped; a line longer than any record can be is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image.h"

namespace tool {

class TextLines {
 public:
  explicit TextLines(ImageSource& source) : source_(source) {}
  // The next non-blank line into line: false at the end of the file or on an error (error
  // is then set).
  bool next(std::string& line, std::string& error);
  std::size_t number() const { return number_; }  // the line's number, from 1

 private:
  bool fill(std::string& error);

  ImageSource& source_;
  std::vector<uint8_t> buffer_;
  std::size_t used_ = 0;
  uint64_t offset_ = 0;
  std::size_t number_ = 0;
  bool lastWasCr_ = false;
};

}  // namespace tool
