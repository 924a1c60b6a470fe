/* Kestrel probe command library: opening a probe and the core commands.
 *
 * Call order: KST_Open -> commands (any family) -> KST_Close.
 * Threads: one probe context is used by one thread at a time (the caller serialises the
 * commands on a context, KST_Close included). Different contexts may be used from any threads
 * at once, KST_Open of further probes included: each has its own libusb context, and the
 * library's process-wide state (the libusb binding, the trace state, the logger binding) is
 * safe to share. The logger a process binds is then called from several threads.
 * Every function returns a result code (kst_types.h); outputs are written only on KST_OK. */
#ifndef KESTREL_KST_PROBE_H
#define KESTREL_KST_PROBE_H

#include "kst_types.h"

/* Finds the probe by serial number (when non-empty) or by its index among probes of one
 * identity, claims it and connects (KST_ConnectPMON instead when powerMeasurement != 0).
 * @retval KST_ERR_BAD_ARGUMENT context is null
 * @retval KST_ERR_USB_LIBRARY  libusb could not be bound
 * @retval KST_ERR_NO_MEMORY    the context could not be allocated
 * @retval KST_ERR_NO_PROBE     no matching probe could be opened and claimed
 * @retval other                the connect command's result; *context is left unchanged */
KST_API int32_t KST_Open(KSTInform** context, uint32_t deviceIndex, const char* serialNumber,
                         uint8_t powerMeasurement);

/* Disconnects (when open), releases the device, frees the context and nulls *context.
 * @retval KST_ERR_BAD_ARGUMENT context or *context is null */
KST_API int32_t KST_Close(KSTInform** context);

/* Follows the scan-manager handle chain to its probe context; null at the first null link. */
KST_API KSTInform* KST_GetHandle(KST_SMG_HANDLE smgHandle);

/* Sends the command the caller placed in commandBuffer from byte 3 on and receives the reply
 * into replyBuffer. Sizes include the 3-byte header; a timeout of 0 means 5000 ms.
 * @retval KST_ERR_BAD_ARGUMENT null context, packet size outside 4..4352, reply outside 7..4352
 * @retval KST_ERR_NO_REPLY     every attempt failed, or the reply frame was malformed
 * @retval other                the reply's result field */
KST_API int32_t KST_Execute(KSTInform* context, uint32_t packetSize, uint32_t replySize,
                            uint32_t attempts, uint32_t timeoutMs);

/* The probe returns the bytes unchanged. byteCount at most 4344.
 * @retval KST_ERR_BAD_ARGUMENT null pointer or byteCount above 4344 */
KST_API int32_t KST_Echo(KSTInform* context, const void* data, void* output, uint32_t byteCount);

KST_API int32_t KST_Connect(KSTInform* context);
KST_API int32_t KST_Disconnect(KSTInform* context);

/* Reads the firmware version word (bytes major.minor.patch.build, most significant first)
 * and the hardware version. */
KST_API int32_t KST_Version(KSTInform* context, uint32_t* firmwareVersion,
                            uint16_t* hardwareVersion);

#endif
