// Slots whose answer does not depend on the probe: the framework asks every controller these
// questions, and this controller's answers are fixed.
#include <cstring>

#include "controller_handle.h"
#include "operations.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

constexpr uint16_t kRecordVersion = 256;
constexpr uint8_t kRecordRevision = 1;

struct CapabilityAnswer {
  uint32_t kind;
  uint32_t value;
};
constexpr CapabilityAnswer kCapabilities[] = {{1, 5}, {2, 0}, {3, 16}, {4, 0}};

constexpr uint32_t kIndexedWords = 2;

}  // namespace

int32_t answerZero(...) {
  return kOk;
}

int32_t echoValue(JscHandle*, uint32_t value) {
  return static_cast<int32_t>(value);
}

int32_t acceptPointer(JscHandle* handle, const void* pointer) {
  return handle == nullptr || pointer == nullptr ? kBadArgument : kOk;
}

int32_t zeroWord(JscHandle* handle, uint32_t* out) {
  if (handle == nullptr || out == nullptr) return kBadArgument;
  *out = 0;
  return kOk;
}

int32_t writeRecordVersion(JscHandle* handle, uint8_t* record) {
  if (handle == nullptr || record == nullptr) return kBadArgument;
  std::memcpy(record, &kRecordVersion, sizeof kRecordVersion);  // the host's own byte order
  record[2] = kRecordRevision;
  return kOk;
}

int32_t acceptThirdPointer(JscHandle* handle, uintptr_t, const void* pointer) {
  return acceptPointer(handle, pointer);
}

int32_t capability(JscHandle* handle, uint32_t kind, uint8_t* supported, uint32_t* value) {
  if (handle == nullptr || supported == nullptr || value == nullptr) return kBadArgument;
  *supported = 0;
  *value = 0;
  for (const CapabilityAnswer& answer : kCapabilities) {
    if (answer.kind != kind) continue;
    *supported = 1;
    *value = answer.value;
  }
  return kOk;
}

int32_t zeroIndexedWord(JscHandle* handle, uint32_t index, uintptr_t, uint32_t* out) {
  if (handle == nullptr || out == nullptr || index >= kIndexedWords) return kBadArgument;
  *out = 0;
  return kOk;
}

int32_t zeroTwoFlags(JscHandle* handle, uintptr_t, uint8_t* a, uint8_t* b) {
  return zeroFlagPair(handle, a, b);
}

int32_t zeroFlagsAndWord(JscHandle* handle, uintptr_t, uint8_t* a, uint8_t* b, uint32_t* c) {
  if (handle == nullptr || a == nullptr || b == nullptr || c == nullptr) return kBadArgument;
  *a = *b = 0;
  *c = 0;
  return kOk;
}

// A block transfer the controller does not carry out: the record's bytes 2 and 4 both 1 ask
// for data, which must then be given.
int32_t zeroBlockTransfer(JscHandle* handle, uintptr_t, uint8_t* a, uint8_t* b,
                          const uint8_t* record, uintptr_t, uintptr_t, const void* data,
                          uint32_t length, uint32_t* out) {
  if (handle == nullptr || a == nullptr || b == nullptr || record == nullptr || out == nullptr)
    return kBadArgument;
  if (record[2] == 1 && record[4] == 1 && (data == nullptr || length == 0)) return kBadArgument;
  *a = *b = 0;
  *out = 0;
  return kOk;
}

int32_t zeroFlagPair(JscHandle* handle, uint8_t* a, uint8_t* b) {
  if (handle == nullptr || a == nullptr || b == nullptr) return kBadArgument;
  *a = *b = 0;
  return kOk;
}

int32_t unsupported(JscHandle* handle) {
  return handle == nullptr ? kBadArgument : kNotSupported;
}

int32_t unsupportedWith(JscHandle* handle, const void* pointer) {
  return handle == nullptr || pointer == nullptr ? kBadArgument : kNotSupported;
}

int32_t acceptHandle(JscHandle* handle) {
  return handle == nullptr ? kBadArgument : kOk;
}

}  // namespace kst::jsc
