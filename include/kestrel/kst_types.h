/* Kestrel probe command library: common types, the export macro and (kst_results.h) the
 * result codes. */
#ifndef KESTREL_KST_TYPES_H
#define KESTREL_KST_TYPES_H

#include <stdint.h>

#include "kst_results.h"

#if defined(_WIN32)
#if defined(KESTREL_BUILDING_LIBRARY)
#define KST_EXPORT __declspec(dllexport)
#else
#define KST_EXPORT __declspec(dllimport)
#endif
#else
#define KST_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define KST_API extern "C" KST_EXPORT
#else
#define KST_API KST_EXPORT
#endif

/* The largest packet in either direction, header included. */
#define KST_PACKET_SIZE 4352

/* The record of one opened probe. Its layout is part of the interface: callers of
 * KST_Execute write the command into commandBuffer and read the reply from replyBuffer.
 *
 * commandBuffer: '*', u16 length L (bytes after this field), command code, arguments.
 * replyBuffer:   '*', u16 length R (4 + data bytes), i32 result, reply data. */
typedef struct KSTInform {
  uint32_t openFlag; /* 1 while the USB device is open and claimed */
  void* usbDevice;   /* transport record; all-ones when there is none */
  uint8_t commandBuffer[KST_PACKET_SIZE];
  uint8_t replyBuffer[KST_PACKET_SIZE];
  uint32_t tclkFrequency; /* test clock in hertz; 1000000 after KST_Open */
  uint16_t vendorId;      /* USB identity of the opened device */
  uint16_t productId;
} KSTInform;

/* The host framework's scan-manager handle, as far as the library follows it. */
typedef void* KST_SMG_HANDLE;

#endif
