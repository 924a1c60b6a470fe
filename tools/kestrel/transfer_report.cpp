#include "transfer_report.h"

#include <unistd.h>

#include <cstdio>

#include "platform/os.h"

namespace tool {
namespace {

constexpr std::size_t kBarThreshold = 64 * 1024;
constexpr int kBarWidth = 40;

}  // namespace

TransferReport::TransferReport(std::string verb, std::size_t total, bool bar)
    : verb_(std::move(verb)),
      total_(total),
      bar_(bar && total > kBarThreshold && os::isTerminal(STDERR_FILENO)),
      start_(std::chrono::steady_clock::now()) {}

void TransferReport::update(std::size_t done) {
  if (!bar_ || total_ == 0) return;
  const int filled = static_cast<int>(done * kBarWidth / total_);
  if (filled == shown_) return;
  shown_ = filled;
  std::fprintf(stderr, "\r[%-*s] %3d%%", kBarWidth, std::string(filled, '#').c_str(),
               static_cast<int>(done * 100 / total_));
  std::fflush(stderr);
}

double TransferReport::finish(std::size_t done, std::ostream& out) {
  if (bar_ && shown_ >= 0) std::fputc('\n', stderr);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
  out << rateText(verb_, done, elapsed.count()) << '\n';
  return elapsed.count() > 0 ? done / elapsed.count() : 0;
}

std::string rateText(const std::string& verb, std::size_t bytes, double seconds) {
  char text[128];
  const double rate = seconds > 0 ? bytes / seconds : 0;
  const bool mebibytes = rate >= 1024 * 1024;
  std::snprintf(text, sizeof text, "%s %zu bytes in %.2f s (%.1f %s/s)", verb.c_str(), bytes,
                seconds, mebibytes ? rate / (1024 * 1024) : rate / 1024, mebibytes ? "MiB" : "KiB");
  return text;
}

}  // namespace tool
