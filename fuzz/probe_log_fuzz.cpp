// Feeds arbitrary KST_GETLOG replies (untrusted device data) to the probe-log writer,
// formatting every line it writes.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "trace/probe_log.h"

namespace {

class FormattingLogger final : public Logging::ILogger {
 public:
  void Log(const void*, uint32_t, uint32_t, uint32_t, const char* format, ...) override {
    va_list arguments;
    va_start(arguments, format);
    char line[512];
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
  }
  bool IsEnabled() override { return true; }
  void LogV(const void*, uint32_t, uint32_t, uint32_t, const char*, va_list) override {}
  void LogMessage(const void*, uint32_t, uint32_t, uint32_t, const char*) override {}
  bool IsFiltered(uint32_t, uint32_t, uint32_t) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<uint8_t> reply(kst::trace::kProbeLogReplySize, 0);
  std::memcpy(reply.data(), data, size < reply.size() ? size : reply.size());
  FormattingLogger logger;
  kst::trace::writeOverflowNotice(logger, reply.data());
  kst::trace::writeProbeLogRecords(logger, 1, reply.data());
  return 0;
}
