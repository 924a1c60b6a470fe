// Output the tool writes: every write and the final flush checked, so that a full disk or a
// closed pipe ends the run with one line and status 74 instead of passing for success.
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

namespace tool {

// A buffered stream buffer over a file descriptor that remembers the first failed write.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
  ~DescriptorBuffer() override { sync(); }
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;
  // errno of the first write that failed, 0 while all went out.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;
  std::streamsize xsputn(const char* data, std::streamsize length) override;

 private:
  bool drain(const char* data, std::size_t length);

  int fd_;
  int error_ = 0;
  char buffer_[64 * 1024];
};

// An output file created for the tool's results (mem read --out). Created before the probe
// is touched, so that a path that cannot be written costs no traffic.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // 0, or 74 with the reason.
  int create(const std::string& path, std::string& error);
  std::ostream& stream() { return stream_; }
  int error() const { return buffer_ ? buffer_->error() : 0; }  // errno of a failed write
  // Flushes and closes it: 0, or 74 with the reason.
  int close(std::string& error);

 private:
  std::string path_;
  int fd_ = -1;
  std::unique_ptr<DescriptorBuffer> buffer_;
  std::ostream stream_{nullptr};
};

// The reason a stream's writes failed: its buffer's errno when it is a DescriptorBuffer.
std::string writeFailure(const std::string& what, int error);

}  // namespace tool
