// A logger that takes no lock: it wants every trace up to level 3, formats each line into a
// buffer of its own and counts the lines with a relaxed atomic. Nothing in it orders the
// threads that call it, so under ThreadSanitizer only the library's own synchronisation does.
// Built as libnimbus_logger.so, so the library's lookup by bare name binds it.
#include "lockfree_logger.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "kestrel/logging.h"

namespace {

constexpr uint32_t kWantedLevel = 3;

std::atomic<uint64_t> g_lines{0};

class LockFreeLogger final : public Logging::ILogger {
 public:
  void Log(const void* zero, uint32_t component, uint32_t subcomponent, uint32_t level,
           const char* format, ...) override {
    va_list arguments;
    va_start(arguments, format);
    LogV(zero, component, subcomponent, level, format, arguments);
    va_end(arguments);
  }
  bool IsEnabled() override { return true; }
  void LogV(const void*, uint32_t, uint32_t, uint32_t, const char* format,
            va_list arguments) override {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, arguments);
    g_lines.fetch_add(1, std::memory_order_relaxed);
  }
  void LogMessage(const void*, uint32_t, uint32_t, uint32_t, const char*) override {
    g_lines.fetch_add(1, std::memory_order_relaxed);
  }
  bool IsFiltered(uint32_t, uint32_t, uint32_t level) override { return level > kWantedLevel; }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) Logging::ILogger* GetLogger() {
  static LockFreeLogger logger;
  return &logger;
}

extern "C" __attribute__((visibility("default"))) uint64_t lockfree_logger_lines() {
  return g_lines.load(std::memory_order_relaxed);
}
