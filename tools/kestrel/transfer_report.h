// What the user sees of a long transfer: a progress bar with the rate and the time left on
// standard error when it is a terminal and the transfer is over 64 KiB, and the rate when it
// is done.
#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

namespace tool {

class TransferReport {
 public:
  // bar: a progress bar may be drawn (not under --quiet or --json).
  TransferReport(std::string verb, std::size_t total, bool bar);

  void update(std::size_t done);
  // Ends the bar and writes "wrote 1048576 bytes in 0.41 s (2.4 MiB/s)" to out; the rate in
  // bytes per second.
  double finish(std::size_t done, std::ostream& out);

 private:
  std::string verb_;
  std::size_t total_;
  bool bar_;
  int shown_ = -1;
  std::chrono::steady_clock::time_point start_;
};

// The bar's line after done of total bytes in seconds: the bar, the percentage, the rate and
// the time the rest will take at that rate ("ETA 1:05"; "--:--" while the rate settles).
std::string barText(std::size_t done, std::size_t total, double seconds);

// The rate line's text, for a transfer of bytes in seconds.
std::string rateText(const std::string& verb, std::size_t bytes, double seconds);

}  // namespace tool
