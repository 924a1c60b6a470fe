#include "image/text_lines.h"

#include <algorithm>

namespace tool {
namespace {

constexpr std::size_t kPiece = 64 * 1024;
constexpr std::size_t kLongestLine = 1024;  // records are at most 2 + 2 * 260 characters

}  // namespace

bool TextLines::fill(std::string& error) {
  const std::size_t length =
      static_cast<std::size_t>(std::min<uint64_t>(kPiece, source_.size() - offset_));
  buffer_.resize(length);
  used_ = 0;
  if (length == 0) return false;
  if (!source_.read(offset_, buffer_.data(), length, error)) return false;
  offset_ += length;
  return true;
}

bool TextLines::next(std::string& line, std::string& error) {
  line.clear();
  for (;;) {
    if (used_ == buffer_.size() && !fill(error)) {
      if (!error.empty()) return false;
      if (line.empty()) return false;
      ++number_;
      return true;
    }
    const uint8_t c = buffer_[used_++];
    const bool cr = lastWasCr_;
    lastWasCr_ = c == '\r';
    if (c == '\n' && cr) continue;  // the LF of CR LF
    if (c == '\n' || c == '\r') {
      ++number_;
      if (!line.empty()) return true;
      continue;
    }
    if (line.size() == kLongestLine) {
      error = "line " + std::to_string(number_ + 1) + " is longer than any record";
      return false;
    }
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace tool
