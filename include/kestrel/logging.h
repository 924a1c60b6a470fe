// The logger interface the Kestrel library writes its traces to, as the external logger
// library "nimbus_logger" provides it through its entry point GetLogger (C linkage, no
// arguments, returns a Logging::ILogger* valid for the life of the process, or null).
//
// The writing operations take a leading pointer-sized 0, the component, the subcomponent and
// the level (1 most important to 6 most detailed). The virtual operations are in slot order.
#ifndef KESTREL_LOGGING_H
#define KESTREL_LOGGING_H

#include <cstdarg>
#include <cstdint>

namespace Logging {

class ILogger {
 public:
  virtual void Log(const void* zero, uint32_t component, uint32_t subcomponent, uint32_t level,
                   const char* format, ...) = 0;
  virtual bool IsEnabled() = 0;
  virtual void LogV(const void* zero, uint32_t component, uint32_t subcomponent, uint32_t level,
                    const char* format, va_list arguments) = 0;
  virtual void LogMessage(const void* zero, uint32_t component, uint32_t subcomponent,
                          uint32_t level, const char* text) = 0;
  // True when messages of that component, subcomponent and level are dropped.
  virtual bool IsFiltered(uint32_t component, uint32_t subcomponent, uint32_t level) = 0;
  virtual ~ILogger() = default;
};

// Stands for the absence of a logger: writes nothing, wants nothing.
class DisabledLogger : public ILogger {
 public:
  void Log(const void*, uint32_t, uint32_t, uint32_t, const char*, ...) override {}
  bool IsEnabled() override { return false; }
  void LogV(const void*, uint32_t, uint32_t, uint32_t, const char*, va_list) override {}
  void LogMessage(const void*, uint32_t, uint32_t, uint32_t, const char*) override {}
  bool IsFiltered(uint32_t, uint32_t, uint32_t) override { return true; }
};

}  // namespace Logging

using GetLoggerFn = Logging::ILogger* (*)();

#endif
