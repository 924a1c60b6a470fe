/* Kestrel probe command library: the JTAG scan command set.
 *
 * Every function takes an open probe context, makes one attempt with a 4000 ms reply
 * time-out and returns a result code (kst_types.h); outputs are written only on KST_OK.
 * Sizes that would not fit the 4352-byte packet are refused with KST_ERR_BAD_ARGUMENT before
 * anything is sent.
 *
 * Scan data: the bits of one scan occupy ceil(bits / 8) bytes, least significant bit of the
 * first byte first, rounded up to an even count (the stride). Repeated scans follow one
 * another at that stride, or all use the same bytes when the stride is 0. */
#ifndef KESTREL_KST_JTAG_H
#define KESTREL_KST_JTAG_H

#include "kst_types.h"

/* TAP state codes of the probe firmware. Scans name the shift state they shift in. */
#define KST_STATE_TEST_LOGIC_RESET 1
#define KST_STATE_RUN_TEST_IDLE 2
#define KST_STATE_SHIFT_DR 3
#define KST_STATE_SHIFT_IR 4
#define KST_STATE_PAUSE_DR 5
#define KST_STATE_PAUSE_IR 6
#define KST_STATE_SELECT_DR 8
#define KST_STATE_SELECT_IR 9
#define KST_STATE_CAPTURE_DR 10
#define KST_STATE_CAPTURE_IR 11
#define KST_STATE_EXIT1_DR 12
#define KST_STATE_EXIT1_IR 13
#define KST_STATE_EXIT2_DR 14
#define KST_STATE_EXIT2_IR 15
#define KST_STATE_UPDATE_DR 16
#define KST_STATE_UPDATE_IR 17

KST_API int32_t KST_SetTclkDelay(KSTInform* context, uint32_t delay);
KST_API int32_t KST_SetTrst(KSTInform* context, uint8_t value);
/* The TRST line as the probe drives it (0 to 255). */
KST_API int32_t KST_GetTrst(KSTInform* context, uint32_t* value);
KST_API int32_t KST_CycleTclk(KSTInform* context, uint32_t count);
KST_API int32_t KST_GetJtagState(KSTInform* context, uint32_t* state);
KST_API int32_t KST_GotoJtagState(KSTInform* context, uint32_t state, uint32_t pathMode);

/* Shifts bits of the fill byte, repeated, through the register of shiftState.
 * firstAmble bits go out before the data and secondAmble bits after it; tclkCount extra
 * test-clock cycles follow in the end state. */
KST_API int32_t KST_FixedScan(KSTInform* context, uint16_t bits, uint8_t shiftState,
                              uint8_t startMode, uint8_t endState, uint8_t endMode,
                              uint16_t firstAmble, uint16_t secondAmble, uint16_t tclkCount,
                              uint16_t repeat, uint8_t fill);

/* As KST_FixedScan with data: byteCount at most 4332. */
KST_API int32_t KST_SendScan(KSTInform* context, uint16_t bits, uint8_t shiftState,
                             uint8_t startMode, uint8_t endState, uint8_t endMode,
                             uint16_t firstAmble, uint16_t secondAmble, uint16_t tclkCount,
                             uint16_t repeat, uint16_t dataStride, const uint8_t* data,
                             uint32_t byteCount);

/* As KST_SendScan, returning the captured bits: sendBytes at most 4330, receiveBytes at most
 * 4345, the received bytes laid out as the sent ones at receiveStride. */
KST_API int32_t KST_SendRecvScan(KSTInform* context, uint16_t bits, uint8_t shiftState,
                                 uint8_t startMode, uint8_t endState, uint8_t endMode,
                                 uint16_t firstAmble, uint16_t secondAmble, uint16_t tclkCount,
                                 uint16_t repeat, uint16_t sendStride, uint16_t receiveStride,
                                 const uint8_t* sendData, uint8_t* receiveData, uint32_t sendBytes,
                                 uint32_t receiveBytes);

/* The amble pairs of the instruction and data registers. */
KST_API int32_t KST_SetAmbleDelay(KSTInform* context, uint32_t irFirst, uint32_t irSecond,
                                  uint32_t drFirst, uint32_t drSecond);

KST_API int32_t CJTAG_Connect(KSTInform* context, uint32_t format);
KST_API int32_t CJTAG_Disconnect(KSTInform* context);

/* Selects a TAP behind a JTAG router; the four ambles are those that hold once it is
 * selected. A non-zero force sends option 3 whatever option holds. */
KST_API int32_t KST_SelectTap(KSTInform* context, uint32_t routerWord, uint32_t irFirst,
                              uint32_t irSecond, uint32_t drFirst, uint32_t drSecond, uint8_t kind,
                              uint8_t option, uint8_t force);
KST_API int32_t KST_DeselectTap(KSTInform* context, uint32_t routerWord, uint32_t irFirst,
                                uint32_t irSecond, uint32_t drFirst, uint32_t drSecond,
                                uint8_t kind);

/* Plain JTAG connect; the flag travels with its lowest bit inverted. */
KST_API int32_t JTAG_Connect(KSTInform* context, uint8_t flag);

#endif
