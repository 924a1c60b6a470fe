/* Kestrel probe command library: the power-measurement unit, its DC-DC converter's
 * microcontroller, and the STEM unit.
 *
 * Call order the firmware expects: (KST_Open with the power-measurement flag) -> PMON_Setup
 * and the other set-up commands -> PMON_Calibrate -> PMON_Start -> PMON_Stop ->
 * PMON_Cleanup. The library imposes none of it: out-of-order use is the firmware's to refuse.
 *
 * Every function takes an open probe context, makes one attempt with a 4000 ms reply
 * time-out and passes its arguments to the probe unchanged. Outputs are written only on
 * KST_OK, except where a function says otherwise.
 * @retval KST_OK               the probe carried out the command
 * @retval KST_ERR_BAD_ARGUMENT null context
 * @retval KST_ERR_NO_REPLY     the packet could not be sent, or no well-formed reply of the
 *                              expected size arrived in time
 * @retval other                the probe's own result, passed through */
#ifndef KESTREL_KST_POWER_H
#define KESTREL_KST_POWER_H

#include "kst_types.h"

/* ---- PMON: power measurement ---- */

/* The packet carries firstByte, secondByte, word, thirdByte in that order. */
KST_API int32_t PMON_Setup(KSTInform* context, uint8_t firstByte, uint32_t word, uint8_t secondByte,
                           uint8_t thirdByte);
KST_API int32_t PMON_Setup_Range(KSTInform* context, uint8_t range);
KST_API int32_t PMON_Setup_Dig(KSTInform* context, uint8_t setup);
/* count parameter bytes (0 to 255) follow the count. */
KST_API int32_t PMON_Setup_Dig_Params(KSTInform* context, uint8_t count, const void* parameters);
/* The two calibration values for the input; a null output is skipped. */
KST_API int32_t PMON_Calibrate(KSTInform* context, uint16_t input, uint32_t* firstValue,
                               uint32_t* secondValue);
KST_API int32_t PMON_Start(KSTInform* context);
KST_API int32_t PMON_Stop(KSTInform* context);
KST_API int32_t PMON_Cleanup(KSTInform* context);
/* The unit's hardware information word and byte; a null output is skipped. */
KST_API int32_t PMON_HardwareInfo(KSTInform* context, uint32_t* word, uint8_t* byte);

/* ---- PMON_DCDC: the DC-DC converter's microcontroller ---- */

/* The microcontroller's version. On any failure 0 is stored instead. */
KST_API int32_t PMON_DCDC_GetMCUVersion(KSTInform* context, uint32_t* version);
KST_API int32_t PMON_DCDC_PowerDownMCU(KSTInform* context);
KST_API int32_t PMON_DCDC_SetVcc(KSTInform* context, uint16_t value);
KST_API int32_t PMON_DCDC_RestartMCU(KSTInform* context);

/* ---- STEM ---- */

KST_API int32_t STEM_Setup(KSTInform* context, uint8_t setup, uint32_t word);
KST_API int32_t STEM_Start(KSTInform* context);
KST_API int32_t STEM_Stop(KSTInform* context);

#endif
