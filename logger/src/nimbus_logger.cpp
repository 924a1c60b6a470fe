// The nimbus logger: timestamped lines (time, level, component.subcomponent, text) to
// standard error or a file, filtered by level; safe to call from several threads.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <atomic>
#include <ctime>
#include <mutex>

#include "kestrel/logging.h"
#include "nimbus_logger/control.h"
#include "platform/local_time.h"

namespace nimbus {
namespace {

constexpr int kMaxLevel = 6;

int clampLevel(long level) {
  return level < 0 ? 0 : level > kMaxLevel ? kMaxLevel : static_cast<int>(level);
}

class Logger final : public Logging::ILogger {
 public:
  Logger() {
    if (const char* level = std::getenv("NIMBUS_LOG_LEVEL"))
      level_ = clampLevel(std::strtol(level, nullptr, 10));
    if (const char* file = std::getenv("NIMBUS_LOG_FILE")) openFile(file);
  }

  void Log(const void* zero, uint32_t component, uint32_t subcomponent, uint32_t level,
           const char* format, ...) override {
    va_list arguments;
    va_start(arguments, format);
    LogV(zero, component, subcomponent, level, format, arguments);
    va_end(arguments);
  }

  // Asked before every command on every probe: answered from the levels alone, without the
  // lock, so probes on different threads do not queue on the logger when nothing is written.
  bool IsEnabled() override { return threshold() > 0; }

  void LogV(const void*, uint32_t component, uint32_t subcomponent, uint32_t level,
            const char* format, va_list arguments) override {
    char text[1024];
    std::vsnprintf(text, sizeof text, format != nullptr ? format : "", arguments);
    write(component, subcomponent, level, text);
  }

  void LogMessage(const void*, uint32_t component, uint32_t subcomponent, uint32_t level,
                  const char* text) override {
    write(component, subcomponent, level, text != nullptr ? text : "");
  }

  bool IsFiltered(uint32_t, uint32_t, uint32_t level) override {
    return level == 0 || static_cast<int>(level) > threshold();
  }

  int configure(int level, const char* file) {
    std::lock_guard<std::mutex> lock(mutex_);
    level_ = clampLevel(level);
    return openFile(file) ? 0 : -1;
  }

  void capture(int level) {
    std::lock_guard<std::mutex> lock(mutex_);
    captureLevel_ = clampLevel(level);
    captured_.clear();
  }

  std::vector<CapturedLine> takeCaptured() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<CapturedLine> lines;
    lines.swap(captured_);
    return lines;
  }

 private:
  // The levels are read without the lock and written under it; a reader racing a change sees
  // the old level or the new one.
  int threshold() const {
    const int captureLevel = captureLevel_.load(std::memory_order_relaxed);
    return captureLevel > 0 ? captureLevel : level_.load(std::memory_order_relaxed);
  }

  // Caller holds the mutex, or the object is being built.
  bool openFile(const char* file) {
    if (file_ != nullptr && file_ != stderr) std::fclose(file_);
    file_ = stderr;
    if (file == nullptr || *file == '\0') return true;
    FILE* opened = std::fopen(file, "ab");
    if (opened == nullptr) return false;
    file_ = opened;
    return true;
  }

  void write(uint32_t component, uint32_t subcomponent, uint32_t level, const char* text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (level == 0 || static_cast<int>(level) > threshold()) return;
    if (captureLevel_ > 0) {
      captured_.push_back({component, subcomponent, level, text});
      return;
    }
    std::tm local{};
    long milliseconds = 0;
    platform::localNow(local, milliseconds);
    std::fprintf(file_, "%02d:%02d:%02d.%03ld [%u] %u.%u %s\n", local.tm_hour, local.tm_min,
                 local.tm_sec, milliseconds, level, component, subcomponent, text);
    std::fflush(file_);
  }

  // The mutex is written by every line logged; on a cache line of its own it leaves the line
  // with the levels (and the object's vtable) shared, read-only, by every thread.
  std::atomic<int> level_{0};
  std::atomic<int> captureLevel_{0};
  alignas(64) std::mutex mutex_;
  FILE* file_ = stderr;
  std::vector<CapturedLine> captured_;
};

// Built on first use, so GetLogger works whatever order the process initialises modules in;
// never destroyed, as callers may keep the pointer until the very end.
Logger& instance() {
  static Logger* logger = new Logger();
  return *logger;
}

}  // namespace

void capture(int level) {
  instance().capture(level);
}
std::vector<CapturedLine> takeCaptured() {
  return instance().takeCaptured();
}

}  // namespace nimbus

extern "C" NIMBUS_API Logging::ILogger* GetLogger() {
  return &nimbus::instance();
}

extern "C" int nimbus_logger_configure(int level, const char* file) {
  return nimbus::instance().configure(level, file);
}
