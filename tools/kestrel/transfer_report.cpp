#include "transfer_report.h"

#include <unistd.h>

#include <cstdio>

namespace tool {
namespace {

constexpr std::size_t kBarThreshold = 64 * 1024;
constexpr int kBarWidth = 40;
constexpr double kSettleSeconds = 0.5;  // before this, a rate says little about the rest

std::string rateOnly(double rate) {
  char text[32];
  const bool mebibytes = rate >= 1024 * 1024;
  std::snprintf(text, sizeof text, "%.1f %s/s", mebibytes ? rate / (1024 * 1024) : rate / 1024,
                mebibytes ? "MiB" : "KiB");
  return text;
}

}  // namespace

std::string barText(std::size_t done, std::size_t total, double seconds) {
  const int filled = total == 0 ? kBarWidth : static_cast<int>(done * kBarWidth / total);
  const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
  char text[160];
  int length = std::snprintf(text, sizeof text, "[%-*s] %3d%%", kBarWidth,
                             std::string(static_cast<std::size_t>(filled), '#').c_str(), percent);
  if (seconds < kSettleSeconds || done == 0) {
    std::snprintf(text + length, sizeof text - length, "  ETA --:--");
    return text;
  }
  const double rate = done / seconds;
  const auto left = static_cast<unsigned long>((total - done) / rate + 0.5);
  length +=
      std::snprintf(text + length, sizeof text - length, "  %s  ETA ", rateOnly(rate).c_str());
  if (left >= 3600)
    std::snprintf(text + length, sizeof text - length, "%lu:%02lu:%02lu", left / 3600,
                  left / 60 % 60, left % 60);
  else
    std::snprintf(text + length, sizeof text - length, "%lu:%02lu", left / 60, left % 60);
  return text;
}

TransferReport::TransferReport(std::string verb, std::size_t total, bool bar)
    : verb_(std::move(verb)),
      total_(total),
      bar_(bar && total > kBarThreshold && isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()) {}

void TransferReport::update(std::size_t done) {
  if (!bar_ || total_ == 0) return;
  const int percent = static_cast<int>(done * 100 / total_);
  if (percent == shown_) return;
  shown_ = percent;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
  // Cleared to the end of the line: the rate and the estimate change their width.
  std::fprintf(stderr, "\r%s\x1B[K", barText(done, total_, elapsed.count()).c_str());
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
  std::snprintf(text, sizeof text, "%s %zu bytes in %.2f s (%s)", verb.c_str(), bytes, seconds,
                rateOnly(rate).c_str());
  return text;
}

}  // namespace tool
