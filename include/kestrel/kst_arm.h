/* Kestrel probe command library: ARM debug and access ports, ARMv7 memory blocks and the
 * secure access port.
 *
 * Call order: KST_Open -> KST_CreateFakeSMGHandle (or the host framework's scan-manager
 * handle) -> CMAPI_Connect -> memory and register commands -> CMAPI_Disconnect -> KST_Close.
 *
 * Every function makes one attempt and returns a result code (kst_types.h); outputs are
 * written only on KST_OK. Selector bytes and attribute words go to the probe unchanged: their
 * meaning is the probe firmware's.
 *
 * Memory time-out: memory transfers wait 4000 ms + 2 * k * (bytes / 4) ms for their reply,
 * with k = max(1, 15.05 / f - 5.5) truncated and f the context's test clock in MHz (k = 9 at
 * 1 MHz, 1 from about 2 MHz up). Other commands wait 4000 ms.
 *
 * Results common to every function below:
 * @retval KST_OK               the probe carried out the command
 * @retval KST_ERR_NO_REPLY     the packet could not be sent, or no well-formed reply of the
 *                              expected size arrived in time
 * @retval other                the probe's own result, passed through */
#ifndef KESTREL_KST_ARM_H
#define KESTREL_KST_ARM_H

#include "kst_types.h"

/* ---- CMAPI: debug port and memory through a scan-manager handle ----
 * Every CMAPI function follows the handle's chain to its probe context first.
 * @retval KST_ERR_BAD_ARGUMENT null handle or link, null pointer argument, or a transfer
 *                              larger than one packet; nothing is sent */

/* Connects the debug port; value receives the probe's answer (the DP's IDCODE). */
KST_API int32_t CMAPI_Connect(KST_SMG_HANDLE handle, uint32_t* value);
KST_API int32_t CMAPI_Disconnect(KST_SMG_HANDLE handle);
/* Kept for callers written for other probes: send nothing and return KST_OK. */
KST_API int32_t CMAPI_Acquire(KST_SMG_HANDLE handle);
KST_API int32_t CMAPI_Release(KST_SMG_HANDLE handle);

/* Memory through an access port: count at most 4345 for a read, 4335 for a write (4331 with
 * a 64-bit address). The wire count is 16 bits wide; the limits keep it exact. */
KST_API int32_t CMAPI_MemRead(KST_SMG_HANDLE handle, uint8_t selectorA, uint8_t selectorB,
                              uint8_t selectorC, uint32_t address, uint32_t count,
                              uint32_t attribute, void* buffer);
KST_API int32_t CMAPI_MemWrite(KST_SMG_HANDLE handle, uint8_t selectorA, uint8_t selectorB,
                               uint8_t selectorC, uint32_t address, uint32_t count,
                               uint32_t attribute, const void* buffer);
KST_API int32_t CMAPI_MemRead64(KST_SMG_HANDLE handle, uint8_t selectorA, uint8_t selectorB,
                                uint8_t selectorC, uint64_t address, uint32_t count,
                                uint32_t attribute, void* buffer);
KST_API int32_t CMAPI_MemWrite64(KST_SMG_HANDLE handle, uint8_t selectorA, uint8_t selectorB,
                                 uint8_t selectorC, uint64_t address, uint32_t count,
                                 uint32_t attribute, const void* buffer);

/* A debug-port or access-port register, named by the three selectors. */
KST_API int32_t CMAPI_DapRegRead(KST_SMG_HANDLE handle, uint8_t selectorA, uint8_t selectorB,
                                 uint8_t selectorC, uint32_t* value);
KST_API int32_t CMAPI_DapRegWrite(KST_SMG_HANDLE handle, uint8_t selectorA, uint8_t selectorB,
                                  uint8_t selectorC, const uint32_t* value);

/* ---- SWD: Serial Wire Debug link and SWO trace ----
 * These take the probe context itself, which must be open.
 * @retval KST_ERR_BAD_ARGUMENT null context or pointer argument */

KST_API int32_t SWD_Connect(KSTInform* context);
KST_API int32_t SWD_Disconnect(KSTInform* context);
KST_API int32_t SWD_EnableSwo(KSTInform* context);
KST_API int32_t SWD_DisableSwo(KSTInform* context);
KST_API int32_t SWD_RegRead(KSTInform* context, uint8_t first, uint8_t second, uint32_t* value);
/* flag travels after the value; its meaning is the firmware's. */
KST_API int32_t SWD_RegWrite(KSTInform* context, uint8_t first, uint8_t second,
                             const uint32_t* value, uint8_t flag);

/* ---- ARMv7: memory blocks of an ARMv7 target, through a scan-manager handle ----
 * byteCount at most 4345 for a read, 4332 for a write; memory time-out on byteCount.
 * @retval KST_ERR_BAD_ARGUMENT null handle, link or buffer, or byteCount past its limit */

KST_API int32_t ARMv7_MemRead(KST_SMG_HANDLE handle, uint16_t selector1, uint16_t selector2,
                              uint32_t word1, uint32_t word2, uint32_t byteCount, void* buffer);
KST_API int32_t ARMv7_MemWrite(KST_SMG_HANDLE handle, uint16_t selector1, uint16_t selector2,
                               uint32_t word1, uint32_t word2, uint32_t byteCount,
                               const void* buffer);

/* ---- SecAP: 32-bit word blocks through a secure access port ----
 * wordCount at most 1086; the words travel as the buffer's bytes, in the caller's order.
 * @retval KST_ERR_BAD_ARGUMENT null handle, link or buffer, or wordCount above 1086 */

KST_API int32_t SecAP_BulkWrite(KST_SMG_HANDLE handle, uint8_t selector, uint16_t wordCount,
                                const void* words);
KST_API int32_t SecAP_BulkRead(KST_SMG_HANDLE handle, uint8_t selector, uint16_t wordCount,
                               void* words);

#endif
