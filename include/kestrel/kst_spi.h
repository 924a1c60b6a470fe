/* Kestrel probe command library: a transceiver on the probe's SPI link.
 *
 * Call order: TRXSPI_Connect -> TRXSPI_OpWrite / TRXSPI_OpRead -> TRXSPI_Disconnect.
 * Every function takes an open probe context, makes one attempt with a 4000 ms reply
 * time-out and returns a result code (kst_types.h). Selectors go to the probe unchanged.
 * @retval KST_OK               the probe carried out the command
 * @retval KST_ERR_BAD_ARGUMENT null context or pointer, or a size past its limit
 * @retval KST_ERR_NO_REPLY     the packet could not be sent, or no well-formed reply of the
 *                              expected size arrived in time
 * @retval other                the probe's own result, passed through */
#ifndef KESTREL_KST_SPI_H
#define KESTREL_KST_SPI_H

#include "kst_types.h"

/* ---- TRXSPI ---- */

KST_API int32_t TRXSPI_Connect(KSTInform* context, uint8_t selector1, uint8_t selector2);
KST_API int32_t TRXSPI_Disconnect(KSTInform* context);

/* Sends an operation of byteCount bytes (at most 4346); the probe takes the count from the
 * packet length. Refused before any trace when too large. */
KST_API int32_t TRXSPI_OpWrite(KSTInform* context, uint8_t selector1, uint8_t selector2,
                               uint16_t byteCount, const void* data);

/* Reads one operation back into up to maxLength bytes (at most 4342): the probe reports the
 * operation's length and a status byte, and min(length, maxLength) bytes are copied. On any
 * failure length and status are set to 0 (a maxLength past its limit is traced as -122). */
KST_API int32_t TRXSPI_OpRead(KSTInform* context, uint16_t maxLength, uint16_t* length,
                              uint8_t* status, void* data);

#endif
