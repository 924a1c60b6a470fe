// Feeds arbitrary bytes to the configuration value readers: the frequency parser (with the
// length as a host reports it), the dotted address reader and the boolean word reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/frequency.h"
#include "config/keywords.h"
#include "config/value_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace kst::config;
  const std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated copy
  uint32_t code = 0;
  if (parseFrequency(text.c_str(), size, code)) {
    // Every accepted text is a code at or below 64 MHz (or a scaled hertz/kilohertz code).
    (void)frequencyHertz(code);
    if (code > 0xFFFF) __builtin_trap();
  } else if (code != kNoFrequency) {
    __builtin_trap();
  }
  uint32_t address = 0;
  (void)readDottedAddress(text.c_str(), size, address);
  bool flag = false;
  (void)readBooleanWord(text.c_str(), flag);
  const Keyword words[] = {{"default", 0}, {"minimum", 1}, {"", 2}, {"maximum", 3}};
  (void)lookupAbbreviated(text.c_str(), size, table(words));
  (void)lookupWholeWord(text.c_str(), table(words));
  (void)serialHash(text.c_str());
  return 0;
}
