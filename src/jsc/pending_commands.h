// Where the controller reaches commands that are not part of the library yet: the SWD
// commands and the firmware auto-update. Each answers "not provided" (-601) until its command
// lands; every caller goes through these names, so the change is here alone.
#pragma once

#include <cstdint>

#include "kestrel/kst_types.h"

namespace kst::jsc {

// SWD_RegRead, SWD_RegWrite.
int32_t swdRegisterRead(KSTInform* probe, uint8_t port, uint8_t address, uint32_t* value);
int32_t swdRegisterWrite(KSTInform* probe, uint8_t port, uint8_t address, uint32_t* value,
                         uint8_t check);
// SWD_Connect, SWD_Disconnect, SWD_EnableSwo, SWD_DisableSwo.
int32_t swdConnect(KSTInform* probe);
int32_t swdDisconnect(KSTInform* probe);
int32_t swdEnableSwo(KSTInform* probe);
int32_t swdDisableSwo(KSTInform* probe);
// KST_AutoUpdate without a progress callback.
int32_t autoUpdate(KSTInform** probe, uint32_t deviceIndex, const char* serial,
                   uint8_t powerMeasurement);

}  // namespace kst::jsc
