// Typed calls of the host framework's services table; no other code indexes the table.
#pragma once

#include <cstdint>

#include "kestrel/jsc_host.h"

namespace kst::jsc {

class HostServices {
 public:
  HostServices(void* context, const JSC_HostService* table) : context_(context), table_(table) {}

  bool valid() const { return context_ != nullptr && table_ != nullptr; }

  int32_t nullGroup(uint32_t& id) const;
  int32_t findGroup(uint32_t& id, uint8_t& present) const;
  int32_t findProperty(uint32_t group, const char* key, uint64_t& property, uint8_t& found) const;
  int32_t deviceDescriptions(uint32_t device, void*& list, uint8_t& found) const;
  int32_t getText(uint64_t property, uint64_t& length, const char*& text) const;
  int32_t getUnsigned(uint64_t property, uint32_t& value) const;
  int32_t getSigned(uint64_t property, int32_t& value) const;
  int32_t firstDevice(uint32_t index, uint32_t& device, uint8_t& none) const;
  // The device's type name (the other outputs of the entry are not kept).
  int32_t deviceTypeName(uint32_t device, const char*& typeName) const;
  int32_t getBoolean(uint64_t property, uint8_t& value) const;
  int32_t getByte(uint64_t property, uint8_t& value) const;

 private:
  template <class Fn>
  Fn entry(int number) const {
    return reinterpret_cast<Fn>(table_[number]);
  }

  void* context_;
  const JSC_HostService* table_;
};

}  // namespace kst::jsc
