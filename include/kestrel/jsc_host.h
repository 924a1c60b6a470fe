/* The host framework's services table, as the scan-controller interface calls it.
 *
 * The host passes a context (opaque) and a table of function pointers. Every entry takes
 * the context first and returns a signed 32-bit result, 0 for success; the library passes
 * any other result back unchanged. Only the entries below are called. */
#ifndef KESTREL_JSC_HOST_H
#define KESTREL_JSC_HOST_H

#include <stdint.h>

typedef void (*JSC_HostService)(void);

/* Entry numbers and their signatures. */
#define JSC_HOST_NULL_GROUP 8
typedef int32_t (*JSC_HostNullGroup)(void* host, uint32_t* nullGroupId);

#define JSC_HOST_FIND_GROUP 9
typedef int32_t (*JSC_HostFindGroup)(void* host, uint32_t* groupId, uint8_t* present);

#define JSC_HOST_FIND_PROPERTY 12
/* found 0 when the key is absent; get text and get boolean must still succeed on the
 * handle then. */
typedef int32_t (*JSC_HostFindProperty)(void* host, uint32_t groupId, const char* key,
                                        uint64_t* property, uint8_t* found);

#define JSC_HOST_DEVICE_DESCRIPTIONS 13
typedef int32_t (*JSC_HostDeviceDescriptions)(void* host, uint32_t deviceId, void** list,
                                              uint8_t* found);

#define JSC_HOST_GET_TEXT 14
/* The text stays valid while the controller handle exists. */
typedef int32_t (*JSC_HostGetText)(void* host, uint64_t property, uint64_t* length,
                                   const char** text);

#define JSC_HOST_GET_UNSIGNED 16
typedef int32_t (*JSC_HostGetUnsigned)(void* host, uint64_t property, uint32_t* value);

#define JSC_HOST_GET_SIGNED 17
typedef int32_t (*JSC_HostGetSigned)(void* host, uint64_t property, int32_t* value);

#define JSC_HOST_FIRST_DEVICE 31
/* Clears *none when a device exists. */
typedef int32_t (*JSC_HostFirstDevice)(void* host, uint32_t index, uint32_t* deviceId,
                                       uint8_t* none);

#define JSC_HOST_DEVICE_DESCRIPTION 34
/* Stores the device's type name through typeName. */
typedef int32_t (*JSC_HostDeviceDescription)(void* host, uint32_t deviceId, uint64_t* out1,
                                             uint64_t* out2, uint32_t* out3, uint32_t* out4,
                                             uint64_t* out5, const char** typeName, uint32_t* out7,
                                             uint32_t* out8);

#define JSC_HOST_GET_BOOLEAN 81
typedef int32_t (*JSC_HostGetBoolean)(void* host, uint64_t property, uint8_t* value);

#define JSC_HOST_GET_BYTE 82
typedef int32_t (*JSC_HostGetByte)(void* host, uint64_t property, uint8_t* value);

/* A table must have at least this many entries. */
#define JSC_HOST_SERVICE_COUNT 83

#endif
