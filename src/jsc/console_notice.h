// The library's only console output: the notice around a firmware update.
#pragma once

namespace kst::jsc {

// Writes text to standard output as it is (no line end added) and flushes it.
void consoleNotice(const char* text);

}  // namespace kst::jsc
