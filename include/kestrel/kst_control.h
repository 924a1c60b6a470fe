/* Kestrel probe command library: control of the probe itself and of the target's
 * electrical connection. Command functions make one attempt with a 4000 ms reply time-out
 * (KST_RegisterWrite: 8000 ms) and return a result code (kst_types.h); outputs are written
 * only on KST_OK. */
#ifndef KESTREL_KST_CONTROL_H
#define KESTREL_KST_CONTROL_H

#include "kst_types.h"

/* Probe property ids. */
#define KST_PROPERTY_SWD_MODE 0
#define KST_PROPERTY_SWD_OPTION 1
#define KST_PROPERTY_LOGGING_ENABLED 2

/* Drives the target's system reset line. */
KST_API int32_t KST_SetSrst(KSTInform* context, uint8_t value);

/* Runs a production self-test and returns its result word. */
KST_API int32_t KST_ProductTest(KSTInform* context, uint32_t test, uint32_t* result);

/* Connects the probe for power measurement (sent by KST_Open instead of KST_Connect when
 * its power-measurement flag is set). */
KST_API int32_t KST_ConnectPMON(KSTInform* context);

KST_API int32_t KST_RegisterRead(KSTInform* context, uint32_t address, uint16_t* value);
KST_API int32_t KST_RegisterWrite(KSTInform* context, uint32_t address, const uint16_t* value);

KST_API int32_t KST_JTAGIsolate(KSTInform* context);

/* Switches the target supply (flag) at the given voltage. */
KST_API int32_t KST_SetSupply(KSTInform* context, uint8_t supply, uint32_t millivolts);

KST_API int32_t KST_PowerIsolate(KSTInform* context, uint8_t value);

/* count at most 4345 for a read, 4344 for a write. */
KST_API int32_t KST_EEPROMRead(KSTInform* context, uint16_t address, uint16_t count, uint8_t* data);
KST_API int32_t KST_EEPROMWrite(KSTInform* context, uint16_t address, uint16_t count,
                                const uint8_t* data);

KST_API int32_t KST_SetProperty(KSTInform* context, uint32_t id, uint32_t value);

/* One read of up to length bytes from the probe's data port (500 ms). The count read is
 * stored through transferred even when the read fails.
 * @retval KST_ERR_BAD_ARGUMENT null pointer or negative length
 * @retval KST_ERR_DATA_PORT    the read did not complete without error (time-out included) */
KST_API int32_t KST_ReadDataPort(KSTInform* context, uint8_t* buffer, int32_t length,
                                 int32_t* transferred);

/* Builds a scan-manager handle chain around context for code written against the host
 * framework. The records are per thread: a second call on the same thread repoints the same
 * handle, and the handle is valid while that thread lives.
 * @retval KST_ERR_BAD_ARGUMENT null context or output pointer */
KST_API int32_t KST_CreateFakeSMGHandle(KSTInform* context, KST_SMG_HANDLE* handle);

#endif
