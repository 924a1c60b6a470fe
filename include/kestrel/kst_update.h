/* Kestrel probe command library: replacing the probe's firmware.
 *
 * Call order: KST_Open, KST_Version; when the version is outdated, KST_AutoUpdate with the
 * same device index, serial number and power-measurement flag that KST_Open was given. On
 * return the caller's context pointer holds a new open probe, or null (see below). */
#ifndef KESTREL_KST_UPDATE_H
#define KESTREL_KST_UPDATE_H

#include "kst_types.h"

/* Result codes of the update. */
#define KST_ERR_READ_FILE (-135)        /* the firmware image could not be read whole */
#define KST_ERR_DFU_PRESENT (-264)      /* a bootloader was on the bus before the switch */
#define KST_ERR_NO_BOOTLOADER (-590)    /* no bootloader appeared within 30 s of the switch */
#define KST_ERR_BOOTLOADER_OPEN (-591)  /* the bootloader could not be opened within 10 s */
#define KST_ERR_DOWNLOAD (-592)         /* the download into the bootloader failed */
#define KST_ERR_VERSION_REJECTED (-593) /* the probe still runs an unaccepted version */
#define KST_ERR_NO_REBOOT (-594)        /* the probe did not come back within 5 s */
#define KST_ERR_NO_FIRMWARE_FILE (-595) /* the firmware image file could not be opened */

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
 * @retval KST_ERR_DFU_PRESENT, KST_ERR_NO_BOOTLOADER, KST_ERR_BOOTLOADER_OPEN,
 *         KST_ERR_NO_FIRMWARE_FILE, KST_ERR_NO_MEMORY, KST_ERR_READ_FILE, KST_ERR_DOWNLOAD,
 *         KST_ERR_NO_REBOOT: *context is null; the old probe is closed.
 * @retval KST_ERR_VERSION_REJECTED, or KST_Version's result: *context is the new probe. */
KST_API int32_t KST_AutoUpdate(KSTInform** context, uint32_t deviceIndex, const char* serialNumber,
                               uint8_t powerMeasurement, KST_ProgressCallback progress);

#endif
