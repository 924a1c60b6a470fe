// The firmware update's progress as the library reports it: a bar redrawn in place on a
// terminal, or one plain line per step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>

#include "kestrel/kst_update.h"

namespace tool {

class UpdateProgress {
 public:
  enum class Style { kBar, kLines };
  UpdateProgress(std::ostream& out, Style style) : out_(out), style_(style) {}
  ~UpdateProgress() { end(); }
  UpdateProgress(const UpdateProgress&) = delete;
  UpdateProgress& operator=(const UpdateProgress&) = delete;

  // One step: its percentage and the library's message (its newline dropped).
  void step(uint32_t percentage, const char* message);
  // Ends the bar's line, so that what follows starts on a line of its own.
  void end();

  // The library's callback carries no pointer of the caller's, so the progress it feeds is
  // this one, set for the duration of one update.
  KST_ProgressCallback callback();

 private:
  std::ostream& out_;
  Style style_;
  std::size_t drawn_ = 0;  // characters of the bar's line on the screen
};

}  // namespace tool
