/* Kestrel probe command library: control of the probe itself and of the target's
 * electrical connection. Every function returns a result code (kst_types.h). */
#ifndef KESTREL_KST_CONTROL_H
#define KESTREL_KST_CONTROL_H

#include "kst_types.h"

/* Connects the probe for power measurement (sent by KST_Open instead of KST_Connect when
 * its power-measurement flag is set). */
KST_API int32_t KST_ConnectPMON(KSTInform* context);

#endif
