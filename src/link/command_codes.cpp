#include "command_codes.h"

#include <array>
#include <cstddef>

namespace kst {
namespace {

constexpr const char* kUnknown = "unknown command";
constexpr std::size_t kNamedCodes = kLastCommandCode + 1;

constexpr std::array<const char*, kNamedCodes> nameTable() {
  std::array<const char*, kNamedCodes> names{};
  for (auto& name : names) name = kUnknown;
  for (const CommandInfo& command : kCommands) names[command.code] = command.name;
  return names;
}

// A code listed twice or beyond the last code stops the build.
constexpr bool codesFitOnce() {
  std::array<bool, kNamedCodes> seen{};
  for (const CommandInfo& command : kCommands) {
    if (command.code > kLastCommandCode || seen[command.code]) return false;
    seen[command.code] = true;
  }
  return true;
}
static_assert(codesFitOnce(), "each command code is listed once, none above the last");

constexpr std::array<const char*, kNamedCodes> kNames = nameTable();

}  // namespace

const char* commandName(uint8_t code) {
  return code <= kLastCommandCode ? kNames[code] : kUnknown;
}

}  // namespace kst
