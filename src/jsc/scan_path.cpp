#include "scan_path.h"

#include "controller_handle.h"
#include "kestrel/kst_jtag.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

constexpr uint32_t kNoRegister = 0;
constexpr uint32_t kInstructionRegister = 1;
constexpr uint32_t kDataRegister = 2;
constexpr uint32_t kHighestRegister = 3;
constexpr uint32_t kHighestPathMode = 3;
constexpr uint32_t kHighestState = 17;
constexpr uint32_t kNotAState = 7;

constexpr uint32_t kTclkModeValue = 1;
constexpr uint32_t kTclkModeTable = 2;

enum AmbleMode : uint32_t { kNoAmble = 1, kFirstOnly = 2, kSecondOnly = 3, kBothAmbles = 4 };

}  // namespace

int32_t checkPath(const PathDescriptor* path) {
  if (path == nullptr) return kBadArgument;
  const bool startAgrees = path->startPathMode == 0
                               ? path->scanRegister == kNoRegister
                               : path->startPathMode <= kHighestPathMode &&
                                     path->scanRegister >= kInstructionRegister &&
                                     path->scanRegister <= kHighestRegister;
  const bool endValid = path->endPathMode >= 1 && path->endPathMode <= kHighestPathMode;
  const bool stateValid =
      path->endState >= 1 && path->endState <= kHighestState && path->endState != kNotAState;
  return startAgrees && endValid && stateValid ? kOk : kBadArgument;
}

uint8_t scanStateOf(const PathDescriptor& path) {
  return path.scanRegister == kInstructionRegister ? KST_STATE_SHIFT_IR : KST_STATE_SHIFT_DR;
}

bool passThroughStateOf(const PathDescriptor& path, uint8_t& state) {
  switch (path.scanRegister) {
    case kInstructionRegister:
      state = KST_STATE_SELECT_IR;
      return true;
    case kDataRegister:
      state = KST_STATE_SELECT_DR;
      return true;
    case kNoRegister:
      state = 0;
      return true;
    default:
      state = 0;
      return false;
  }
}

uint8_t pauseStateOf(const PathDescriptor& path) {
  return path.scanRegister == kInstructionRegister ? KST_STATE_PAUSE_IR : KST_STATE_PAUSE_DR;
}

int32_t ambleCounts(const JscHandle& handle, const PathDescriptor& path, Ambles& ambles) {
  const bool instruction = path.scanRegister == kInstructionRegister;
  const uint32_t first = handle.ambles[instruction ? 0 : 2];
  const uint32_t second = handle.ambles[instruction ? 1 : 3];
  switch (path.ambleMode) {
    case kNoAmble:
      ambles = {0, 0};
      return kOk;
    case kFirstOnly:
      ambles = {first, 0};
      return kOk;
    case kSecondOnly:
      ambles = {0, second};
      return kOk;
    case kBothAmbles:
      ambles = {first, second};
      return kOk;
    default:
      return kBadArgument;
  }
}

int32_t tclkCount(const JscHandle& handle, const PathDescriptor& path, uint32_t value,
                  uint32_t& count) {
  if (path.tclkMode == kTclkModeValue) {
    count = value;
  } else if (path.tclkMode == kTclkModeTable) {
    if (value > 3) return kBadArgument;
    count = handle.tclkCounts[value];
  } else {
    count = 0;
  }
  return kOk;
}

uint32_t scanByteCount(uint32_t bits) {
  const uint64_t bytes = (uint64_t{bits} + 7) / 8;
  return static_cast<uint32_t>((bytes + 1) & ~uint64_t{1});
}

}  // namespace kst::jsc
