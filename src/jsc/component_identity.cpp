// The component identity record: what this library is, for the host framework's listings.
#include <cstdlib>
#include <cstring>

#include "kestrel/jsc.h"
#include "platform/platform.h"

static_assert(offsetof(ComponentProperties, stringBlockSize) == 8, "block size at 8");
static_assert(offsetof(ComponentProperties, stringBlock) == 16, "block at 16");
static_assert(offsetof(ComponentProperties, strings) == 24, "strings at 24");

namespace {

constexpr uint32_t kFormatWord1 = 2;
constexpr uint32_t kFormatWord2 = 18;

// __DATE__ and __TIME__ have the required forms ("Apr 19 2024", "14:03:31").
const char* const kStrings[JSC_COMPONENT_STRING_COUNT] = {
    "Copyright (c) 2026 the Kestrel probe project",
    "Kestrel Probe Systems",
    "Kestrel host library team",
    "Kestrel probe software",
    "12",
    "7",
    "0",
    "00130",
    "LOOM component file",
    "35",
    "35",
    "0",
    "0",
    __DATE__,
    __TIME__,
    "the Kestrel scan control library",
    "the LOOM library for Kestrel scan control",
    "JSC",
    "Kestrel scan control",
    nullptr,  // this library's file name
    "SMG",
    "scan manager",
    nullptr,  // the partner's file name
};
constexpr int kOwnFileName = 19;
constexpr int kPartnerFileName = 22;

const char* stringAt(int index) {
  if (index == kOwnFileName) return kst::platform::kOwnModuleName;
  if (index == kPartnerFileName) return kst::platform::kPartnerModuleName;
  return kStrings[index];
}

}  // namespace

KST_API int32_t JSC_CreateProperty(ComponentProperties** properties) {
  if (properties == nullptr) return KST_ERR_BAD_ARGUMENT;
  *properties = nullptr;
  auto* record = static_cast<ComponentProperties*>(std::calloc(1, sizeof(ComponentProperties)));
  if (record == nullptr) return KST_ERR_NO_MEMORY;
  std::size_t size = 0;
  for (int i = 0; i < JSC_COMPONENT_STRING_COUNT; ++i) size += std::strlen(stringAt(i)) + 1;
  char* block = static_cast<char*>(std::calloc(1, size));
  if (block == nullptr) {
    std::free(record);
    return KST_ERR_NO_MEMORY;
  }
  record->formatWord1 = kFormatWord1;
  record->formatWord2 = kFormatWord2;
  record->stringBlockSize = size;
  record->stringBlock = block;
  char* at = block;
  for (int i = 0; i < JSC_COMPONENT_STRING_COUNT; ++i) {
    const std::size_t length = std::strlen(stringAt(i)) + 1;
    std::memcpy(at, stringAt(i), length);
    record->strings[i] = at;
    at += length;
  }
  *properties = record;
  return KST_OK;
}

KST_API int32_t JSC_DeleteProperty(ComponentProperties** properties) {
  if (properties == nullptr || *properties == nullptr) return KST_ERR_BAD_ARGUMENT;
  ComponentProperties* record = *properties;
  *properties = nullptr;
  std::free(record->stringBlock);
  std::memset(record, 0, sizeof *record);
  std::free(record);
  return KST_OK;
}
