/* Kestrel probe command library: memories of the three DSP families.
 *
 * Every function takes a scan-manager handle (or KST_CreateFakeSMGHandle's), follows its chain
 * to the probe context, makes one attempt with the memory time-out on the byte count named
 * below (kst_arm.h) and returns a result code (kst_types.h). Data and status bytes are
 * written only on KST_OK. Selectors and attribute words go to the probe unchanged.
 *
 * Status bytes: the memories of families B and C answer one status byte per data byte; their
 * values are the firmware's.
 *
 * Results common to every function below:
 * @retval KST_OK               the probe carried out the command
 * @retval KST_ERR_BAD_ARGUMENT null handle, link or buffer, or a transfer past its limit;
 *                              nothing is sent
 * @retval KST_ERR_NO_REPLY     the packet could not be sent, or no well-formed reply of the
 *                              expected size arrived in time
 * @retval other                the probe's own result, passed through */
#ifndef KESTREL_KST_DSP_H
#define KESTREL_KST_DSP_H

#include "kst_types.h"

/* ---- WREN: family A, addressed in 16-bit words ----
 * The words from startAddress up to (not including) endAddress: 2 * (end - start) bytes, at
 * most 4345 to read and 4328 to write. An end below the start is refused. */

KST_API int32_t WREN_MemRead(KST_SMG_HANDLE handle, uint32_t startAddress, uint32_t endAddress,
                             uint8_t selector1, uint8_t selector2, uint8_t selector3,
                             uint8_t selector4, uint32_t attribute, uint8_t selector5,
                             void* buffer);
KST_API int32_t WREN_MemWrite(KST_SMG_HANDLE handle, uint32_t startAddress, uint32_t endAddress,
                              uint8_t selector1, uint8_t selector2, uint8_t selector3,
                              uint8_t selector4, uint32_t attribute, uint8_t selector5,
                              uint8_t selector6, const void* buffer);

/* ---- IBIS: family B ----
 * Reads: byteCount at most 4345, with status 2172. Writes: when shortData is non-zero only
 * the first shortLength bytes of data are sent (the count still says byteCount); the bytes
 * sent at most 4332, and with status byteCount at most 4345. */

KST_API int32_t IBIS_MemRead(KST_SMG_HANDLE handle, uint32_t address, uint32_t byteCount,
                             uint8_t selector1, uint32_t attribute, uint8_t selector2, void* data);
KST_API int32_t IBIS_MemWrite(KST_SMG_HANDLE handle, uint32_t address, uint32_t byteCount,
                              uint8_t shortLength, uint32_t attribute, uint8_t selector2,
                              uint8_t shortData, const void* data);
KST_API int32_t IBIS_MemReadStat(KST_SMG_HANDLE handle, uint32_t address, uint32_t byteCount,
                                 uint8_t selector1, uint32_t attribute, uint8_t selector2,
                                 void* data, void* status);
KST_API int32_t IBIS_MemWriteStat(KST_SMG_HANDLE handle, uint32_t address, uint32_t byteCount,
                                  uint8_t shortLength, uint32_t attribute, uint8_t selector2,
                                  uint8_t shortData, const void* data, void* status);

/* ---- TERN: family C ----
 * With a status buffer the probe answers a status byte per data byte. Reads: byteCount at
 * most 4345, with status 2172. Writes: byteCount at most 4334. */

KST_API int32_t TERN_MemReadWithStat(KST_SMG_HANDLE handle, uint16_t selector1, uint32_t address,
                                     uint16_t byteCount, uint16_t selector2, uint32_t attribute,
                                     void* data, void* status);
KST_API int32_t TERN_MemWriteWithStat(KST_SMG_HANDLE handle, uint16_t selector1, uint32_t address,
                                      uint16_t byteCount, uint16_t selector2, uint32_t attribute,
                                      const void* data, void* status);

#endif
