#include "host_services.h"

namespace kst::jsc {

int32_t HostServices::nullGroup(uint32_t& id) const {
  return entry<JSC_HostNullGroup>(JSC_HOST_NULL_GROUP)(context_, &id);
}

int32_t HostServices::findGroup(uint32_t& id, uint8_t& present) const {
  return entry<JSC_HostFindGroup>(JSC_HOST_FIND_GROUP)(context_, &id, &present);
}

int32_t HostServices::findProperty(uint32_t group, const char* key, uint64_t& property,
                                   uint8_t& found) const {
  return entry<JSC_HostFindProperty>(JSC_HOST_FIND_PROPERTY)(context_, group, key, &property,
                                                             &found);
}

int32_t HostServices::deviceDescriptions(uint32_t device, void*& list, uint8_t& found) const {
  return entry<JSC_HostDeviceDescriptions>(JSC_HOST_DEVICE_DESCRIPTIONS)(context_, device, &list,
                                                                         &found);
}

int32_t HostServices::getText(uint64_t property, uint64_t& length, const char*& text) const {
  return entry<JSC_HostGetText>(JSC_HOST_GET_TEXT)(context_, property, &length, &text);
}

int32_t HostServices::getUnsigned(uint64_t property, uint32_t& value) const {
  return entry<JSC_HostGetUnsigned>(JSC_HOST_GET_UNSIGNED)(context_, property, &value);
}

int32_t HostServices::getSigned(uint64_t property, int32_t& value) const {
  return entry<JSC_HostGetSigned>(JSC_HOST_GET_SIGNED)(context_, property, &value);
}

int32_t HostServices::firstDevice(uint32_t index, uint32_t& device, uint8_t& none) const {
  return entry<JSC_HostFirstDevice>(JSC_HOST_FIRST_DEVICE)(context_, index, &device, &none);
}

int32_t HostServices::deviceTypeName(uint32_t device, const char*& typeName) const {
  uint64_t first = 0, second = 0, fifth = 0;
  uint32_t third = 9;   // the host expects it preset
  uint32_t shared = 0;  // the fourth, seventh and eighth outputs are one variable
  return entry<JSC_HostDeviceDescription>(JSC_HOST_DEVICE_DESCRIPTION)(
      context_, device, &first, &second, &third, &shared, &fifth, &typeName, &shared, &shared);
}

int32_t HostServices::getBoolean(uint64_t property, uint8_t& value) const {
  return entry<JSC_HostGetBoolean>(JSC_HOST_GET_BOOLEAN)(context_, property, &value);
}

int32_t HostServices::getByte(uint64_t property, uint8_t& value) const {
  return entry<JSC_HostGetByte>(JSC_HOST_GET_BYTE)(context_, property, &value);
}

}  // namespace kst::jsc
