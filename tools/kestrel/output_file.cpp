#include "output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "exit_status.h"
#include "platform/os.h"

namespace tool {

bool DescriptorBuffer::drain(const char* data, std::size_t length) {
  if (error_ != 0) return false;
  while (length > 0) {
    const ssize_t n = ::write(fd_, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : EIO;
      return false;
    }
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type c) {
  if (sync() != 0) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int DescriptorBuffer::sync() {
  const bool ok = drain(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_, buffer_ + sizeof buffer_);
  return ok ? 0 : -1;
}

std::streamsize DescriptorBuffer::xsputn(const char* data, std::streamsize length) {
  if (length < epptr() - pptr()) return std::streambuf::xsputn(data, length);
  if (sync() != 0 || !drain(data, static_cast<std::size_t>(length))) return 0;
  return length;
}

OutputFile::~OutputFile() {
  stream_.rdbuf(nullptr);
  buffer_.reset();
  if (fd_ >= 0) ::close(fd_);
}

int OutputFile::create(const std::string& path, std::string& error) {
  path_ = path;
  fd_ = os::createForWriting(path);
  if (fd_ < 0) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return kExitIo;
  }
  buffer_ = std::make_unique<DescriptorBuffer>(fd_);
  stream_.rdbuf(buffer_.get());
  return kExitOk;
}

int OutputFile::close(std::string& error) {
  stream_.flush();
  const int failed = buffer_->error() != 0 ? buffer_->error() : stream_ ? 0 : EIO;
  const int closed = ::close(fd_);
  const int closeError = closed != 0 ? errno : 0;
  fd_ = -1;
  if (failed == 0 && closeError == 0) return kExitOk;
  error = writeFailure(path_, failed != 0 ? failed : closeError);
  return kExitIo;
}

std::string writeFailure(const std::string& what, int error) {
  return "cannot write " + what + (error != 0 ? std::string(": ") + std::strerror(error) : "");
}

}  // namespace tool
