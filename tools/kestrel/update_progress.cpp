#include "update_progress.h"

#include <string>

namespace tool {
namespace {

constexpr uint32_t kBarWidth = 30;

UpdateProgress* active = nullptr;

int32_t reportToActive(uint32_t percentage, const char* message) {
  if (active != nullptr && message != nullptr) active->step(percentage, message);
  return 0;
}

}  // namespace

void UpdateProgress::step(uint32_t percentage, const char* message) {
  std::string text(message);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (percentage > 100) percentage = 100;
  const std::string number = std::to_string(percentage);
  const std::string percent = std::string(3 - number.size(), ' ') + number + "% ";
  if (style_ == Style::kLines) {
    out_ << "kestrel: " << percent << text << '\n';
    return;
  }
  const uint32_t filled = percentage * kBarWidth / 100;
  std::string line = "\r[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') +
                     "] " + percent + text;
  const std::size_t width = line.size() - 1;
  // Blanks over what a longer line before left on the screen.
  if (width < drawn_) line += std::string(drawn_ - width, ' ');
  drawn_ = width;
  out_ << line << std::flush;
}

void UpdateProgress::end() {
  if (active == this) active = nullptr;
  if (drawn_ == 0) return;
  out_ << '\n' << std::flush;
  drawn_ = 0;
}

KST_ProgressCallback UpdateProgress::callback() {
  active = this;
  return reportToActive;
}

}  // namespace tool
