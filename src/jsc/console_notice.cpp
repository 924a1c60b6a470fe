#include "console_notice.h"

#include <cstdio>

namespace kst::jsc {

void consoleNotice(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

}  // namespace kst::jsc
