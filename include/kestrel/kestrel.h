/* Kestrel USB debug probe: the whole exported command library.
 *
 * Typical use:
 *   KSTInform* probe = NULL;
 *   if (KST_Open(&probe, 0, NULL, 0) == KST_OK) {
 *     uint32_t fw; uint16_t hw;
 *     KST_Version(probe, &fw, &hw);
 *     KST_Close(&probe);
 *   }
 */
#ifndef KESTREL_KESTREL_H
#define KESTREL_KESTREL_H

#include "jsc.h"
#include "kst_arm.h"
#include "kst_control.h"
#include "kst_dsp.h"
#include "kst_jtag.h"
#include "kst_power.h"
#include "kst_probe.h"
#include "kst_results.h"
#include "kst_spi.h"
#include "kst_types.h"
#include "kst_update.h"

#endif
