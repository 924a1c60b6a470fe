/* Kestrel probe command library: replacing the probe's firmware.
 *
 * Call order: KST_Open, KST_Version; when the version is outdated, KST_AutoUpdate with the
 * same device index, serial number and power-measurement flag that KST_Open was given. On
 * return the caller's context pointer holds a new open probe, or null (see below). */
#ifndef KESTREL_KST_UPDATE_H
#define KESTREL_KST_UPDATE_H

#include "kst_results.h"
#include "kst_types.h"

/* The oldest accepted firmware, and the family (top 16 bits) it must belong to. */
#define KST_FIRMWARE_REQUIRED 0x03000029u
#define KST_FIRMWARE_FAMILY 0x03000000u

/* Progress of an update: a percentage and a message ending in a newline. */
typedef int32_t (*KST_ProgressCallback)(uint32_t percentage, const char* message);

/* Switches the probe into its bootloader, downloads kestrel/firmware_3.0.0.29.bin from the
 * library's directory, reboots the probe and reopens it. *context must be an open probe.
 * progress may be null; with a callback, the steps are reported and separated by pauses of
 * about one second.
 *
 * @retval 0 the probe runs accepted firmware; *context is the new probe.
 * @retval KST_ERR_DFU_ALREADY_ON_BUS, KST_ERR_DFU_NOT_APPEARED, KST_ERR_DFU_OPEN,
 *         KST_ERR_FIRMWARE_OPEN, KST_ERR_NO_MEMORY, KST_ERR_FIRMWARE_READ, KST_ERR_DFU_DOWNLOAD,
 *         KST_ERR_REOPEN: *context is null; the old probe is closed.
 * @retval KST_ERR_UPDATE_VERSION, or KST_Version's result: *context is the new probe. */
KST_API int32_t KST_AutoUpdate(KSTInform** context, uint32_t deviceIndex, const char* serialNumber,
                               uint8_t powerMeasurement, KST_ProgressCallback progress);

#endif
