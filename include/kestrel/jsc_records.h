/* The records the LOOM framework hands to the scan-controller operations, and the operation
 * table's slots with their signatures, for host implementers.
 *
 * Call order: JSC_CreateInterface -> JSC_CreateHandle (per controller) -> slot 0 (open) ->
 * scans -> slot 1 (close) -> JSC_DeleteHandle -> JSC_DeleteInterface. Handle creation,
 * deletion, open and close are called from one thread at a time.
 *
 * All records are plain C records, naturally aligned for a 64-bit process. */
#ifndef KESTREL_JSC_RECORDS_H
#define KESTREL_JSC_RECORDS_H

#include <stdint.h>

#include "jsc_host.h"

/* The library's controller handle; the framework holds only the pointer. */
typedef struct JscHandle JscHandle;

/* Read once by JSC_CreateHandle. */
#define JSC_CREATE_EVENT_LOG 0x40000000u /* an event log of 256 words at creation */
typedef struct HandleParams {
  uint32_t reserved;      /* not read */
  uint32_t creationFlags; /* only JSC_CREATE_EVENT_LOG is read */
  uint32_t mode;          /* controller mode 1 to 23 */
  const JSC_HostService* hostServices;
  void* hostContext;
} HandleParams;

/* How the framework describes the way into, and out of, one scan. */
typedef struct PathDescriptor {
  uint32_t startPathMode; /* 0 to 3; 0 only with register 0 */
  uint32_t scanRegister;  /* 0 none, 1 instruction, 2 data (3 as 2, refused by MovePath) */
  uint32_t endPathMode;   /* 1 to 3 */
  uint32_t endState;      /* probe state code 1 to 17, not 7 */
  uint32_t tclkMode;      /* 1 the value is the count, 2 the value picks a table entry */
  uint32_t ambleMode;     /* 1 none, 2 first, 3 second, 4 both */
  uint32_t outDataMode;   /* 2 one pattern for every repetition */
  uint32_t wordSize;      /* buffer units: 2 8-bit, 3 16-bit, 4 32-bit, 5 64-bit */
  uint8_t unused[8];
} PathDescriptor;

/* Slots 4, 5, 54 and 55. Each group is read or written only when its present byte is set. */
typedef struct ScanSettings {
  uint8_t pairPresent;
  uint32_t pair[2];
  uint8_t amblePresent;
  uint32_t ambles[4]; /* instruction first, second; data first, second (bits) */
  uint8_t tclkTablePresent;
  uint32_t tclkCounts[4];
} ScanSettings;

typedef struct FixedScanRequest {
  uint32_t repeat;
  uint32_t tclkValue;
  uint32_t bits;
  uint8_t fill;
} FixedScanRequest;

typedef struct SendScanRequest {
  uint32_t repeat;
  uint32_t tclkValue;
  uint32_t bits;
  const uint8_t* out;
} SendScanRequest;

typedef struct ExchangeScanRequest {
  uint32_t repeat;
  uint32_t tclkValue;
  uint32_t bits;
  const uint8_t* out;
  uint8_t* in;
} ExchangeScanRequest;

typedef struct ReadRestoreRequest {
  uint32_t repeat;
  uint32_t tclkValue;
  uint32_t bits;
  void* unused;
  uint8_t* buffer; /* captured values, one per repetition, at the descriptor's word size */
} ReadRestoreRequest;

/* Slot 34. */
typedef struct ConnectOptions {
  uint8_t moveToReset[2]; /* either non-zero: to state 1 after the reset */
  uint8_t unused;
  uint8_t pulseTrst[2]; /* must be equal; both non-zero: pulse TRST */
  uint8_t recordEvents;
} ConnectOptions;

/* The part of the host's device description (host services entry 13, first of the list)
 * that SelectTap and DeselectTap read. */
typedef struct JSC_DeviceDescription {
  uint8_t hostFields[60];
  uint32_t routerType; /* 5 when not valid */
  uint8_t routerTypeValid;
  uint8_t hostFields2[3];
  uint32_t routerPort; /* 0 when not valid */
  uint8_t routerPortValid;
  uint8_t hostFields3[4];
  uint8_t options[2];
  uint8_t hostFields4;
} JSC_DeviceDescription;

/* The operation table: JSC_OPERATION_COUNT slots, each to be cast to its signature below.
 * Slots without a name answer fixed values (9, 10, 35, 36, 38 to 46, 51: 0 or -122 for a null
 * pointer; 47 to 50: -120, not supported). No slot blocks beyond its probe commands (4000 ms
 * each), except slot 0 (a target supply settles for 1500 ms, a firmware update takes seconds)
 * and slot 37 (the reset waits of about 50 ms).
 *
 * Result codes of every slot: 0; -122 null handle or pointer, a handle without a controller
 * record, a descriptor or value out of range; the probe's or the transport's code from the
 * commands. Further codes are given beside each signature. */
typedef void (*JSC_Operation)(void);
#define JSC_OPERATION_COUNT 56

#define JSC_SLOT_OPEN_CONTROLLER 0
#define JSC_SLOT_CLOSE_CONTROLLER 1
#define JSC_SLOT_GET_TRST 2
#define JSC_SLOT_SET_TRST 3
#define JSC_SLOT_GET_SCAN_SETTINGS 4
#define JSC_SLOT_SET_SCAN_SETTINGS 5
#define JSC_SLOT_GET_LINK_DELAY 6
#define JSC_SLOT_ADD_LINK_DELAY 7
#define JSC_SLOT_CYCLE_TCLK 8
#define JSC_SLOT_GET_JTAG_STATE 11
#define JSC_SLOT_MOVE_PATH 12
#define JSC_SLOT_FIXED_SCAN 13
#define JSC_SLOT_SEND_SCAN 14     /* to 17 */
#define JSC_SLOT_EXCHANGE_SCAN 18 /* to 21 */
#define JSC_SLOT_READ_RESTORE 22  /* to 25 */
#define JSC_SLOT_SWD_REG_READ 26
#define JSC_SLOT_SWD_REG_WRITE 27
#define JSC_SLOT_CREATE_EVENT_LOG 28
#define JSC_SLOT_DELETE_EVENT_LOG 29
#define JSC_SLOT_CLEAR_EVENT_LOG 30
#define JSC_SLOT_SET_EVENT_LOG_OVERFLOW 31
#define JSC_SLOT_READ_EVENT_LOG 32
#define JSC_SLOT_ADD_EVENT_LOG_ENTRY 33
#define JSC_SLOT_CONNECT_CONTROLLER 34
#define JSC_SLOT_CONTROL_TARGET_LINES 37
#define JSC_SLOT_REGISTER_READ 52
#define JSC_SLOT_REGISTER_WRITE 53
#define JSC_SLOT_SELECT_TAP 54
#define JSC_SLOT_DESELECT_TAP 55

/* -116 not bound or already opened; -263 outdated firmware refused; -268 supply voltage outside
 * 1800..3600 mV; -120 mode 23 on a probe without a target supply. firstOpener: 1 when this
 * call opened the probe. */
typedef int32_t (*JSC_OpenControllerFn)(JscHandle*, uint8_t* firstOpener);
/* -116 not opened. lastCloser: 1 when this call closed the probe. */
typedef int32_t (*JSC_CloseControllerFn)(JscHandle*, uint8_t* lastCloser);
typedef int32_t (*JSC_GetTrstFn)(JscHandle*, uint8_t* level);
typedef int32_t (*JSC_SetTrstFn)(JscHandle*, uint32_t line, uint32_t level);
typedef int32_t (*JSC_ScanSettingsFn)(JscHandle*, ScanSettings*);
/* Supported only at a total of 0: -122 otherwise (AddLinkDelay keeps the addition). */
typedef int32_t (*JSC_GetLinkDelayFn)(JscHandle*, uint32_t* first, uint32_t* second,
                                      uint32_t* total);
typedef int32_t (*JSC_AddLinkDelayFn)(JscHandle*, uint32_t delta);
typedef int32_t (*JSC_CycleTclkFn)(JscHandle*, uint32_t count);
/* The JTAG operations below answer -611 while the controller is connected in SWD mode. */
typedef int32_t (*JSC_GetJtagStateFn)(JscHandle*, uint32_t* state);
typedef int32_t (*JSC_MovePathFn)(JscHandle*, const PathDescriptor*, uint32_t tclkValue,
                                  uint32_t repeat);
typedef int32_t (*JSC_FixedScanFn)(JscHandle*, const PathDescriptor*, const FixedScanRequest*);
/* -115 without out data (or in buffer, ExchangeScan). */
typedef int32_t (*JSC_SendScanFn)(JscHandle*, const PathDescriptor*, const SendScanRequest*);
typedef int32_t (*JSC_ExchangeScanFn)(JscHandle*, const PathDescriptor*,
                                      const ExchangeScanRequest*);
typedef int32_t (*JSC_ReadRestoreScanFn)(JscHandle*, const PathDescriptor*,
                                         const ReadRestoreRequest*);
/* -612 unless connected in SWD mode. */
typedef int32_t (*JSC_SwdRegReadFn)(JscHandle*, uint8_t port, uint8_t address, uint32_t* value);
typedef int32_t (*JSC_SwdRegWriteFn)(JscHandle*, uint8_t port, uint8_t address, uint32_t* value,
                                     uint8_t check);
/* Only kind 1 is a log; other kinds answer done 0. Appends to a full log: -519 (-520 inside a
 * marked pair) unless overflow is allowed. */
typedef int32_t (*JSC_CreateEventLogFn)(JscHandle*, int32_t kind, uint8_t* done, uint32_t capacity,
                                        uint32_t* granted);
typedef int32_t (*JSC_DeleteEventLogFn)(JscHandle*, int32_t kind, uint8_t* done);
typedef int32_t (*JSC_ClearEventLogFn)(JscHandle*, uint32_t kind, uint8_t* done);
typedef int32_t (*JSC_SetEventLogOverflowFn)(JscHandle*, int32_t kind, uint8_t* done,
                                             uint8_t allow);
typedef int32_t (*JSC_ReadEventLogFn)(JscHandle*, uint32_t kind, uint8_t* done, uint32_t capacity,
                                      uint32_t* words, uint32_t* count, uint32_t* needed);
typedef int32_t (*JSC_AddEventLogEntryFn)(JscHandle*, int32_t kind, uint8_t* done, uint32_t word);
typedef int32_t (*JSC_ConnectControllerFn)(JscHandle*, const ConnectOptions*);
typedef int32_t (*JSC_ControlTargetLinesFn)(JscHandle*, uint32_t kind, uint8_t queryOnly,
                                            uint8_t* done, uint8_t flags, uint8_t wait);
typedef int32_t (*JSC_RegisterAccessFn)(JscHandle*, uint32_t, uint32_t, uint32_t address, uint32_t,
                                        uint16_t* value);
/* -120 kind other than 'C' or 'D', or mode other than 1; -320 no description of the device;
 * -496 the router port does not fit the router type. */
typedef int32_t (*JSC_TapRouterFn)(JscHandle*, uint8_t kind, const ScanSettings*,
                                   const uint32_t* deviceId, int32_t mode);

#endif
