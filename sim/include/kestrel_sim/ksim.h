/* The Kestrel virtual probe's C entry points.
 *
 * The virtual probe is a libusb-1.0 stand-in (soname libusb-1.0.so.0) that emulates a USB
 * bus with Kestrel probes on it. A program that loads it in place of libusb, by linking
 * against it or through dlopen/dlsym, sets the bus up with these functions; C++ tests have
 * the fuller control API of kestrel_sim/sim.h.
 *
 * Opt-in default bus: when the environment variable KESTREL_SIM_DEFAULT_BUS is "1" as the
 * virtual probe is loaded, it installs the default bus (ksim_install_default_bus) at once,
 * so a tool that just links libusb finds a probe without calling anything here:
 *
 *   KESTREL_SIM_DEFAULT_BUS=1 LD_LIBRARY_PATH=build/sim kestrel info
 *
 * With KESTREL_SIM_BOOTLOADER=1 it installs the bootloader bus instead
 * (ksim_install_bootloader_bus), for a generic DFU host:
 *
 *   KESTREL_SIM_BOOTLOADER=1 LD_LIBRARY_PATH=build/sim dfu-util -l
 *
 * Traffic capture: with KESTREL_SIM_CAPTURE=FILE in the environment as the virtual probe is
 * loaded, or after ksim_capture("FILE"), every bulk and control transfer that reaches a
 * device is written to FILE as a pcap file of Linux usbmon records (link type 220), which
 * Wireshark and tshark read:
 *
 *   KESTREL_SIM_CAPTURE=jtag.pcap kestrel --sim jtag detect && tshark -r jtag.pcap
 *
 * Device ids are small positive numbers; KSIM_INVALID_DEVICE (-1) means that nothing was
 * attached. All functions may be called from any thread, and transfers to different devices
 * run in parallel: each device serves one request at a time under a lock of its own.
 */
#ifndef KESTREL_SIM_KSIM_H
#define KESTREL_SIM_KSIM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KSIM_C_API __attribute__((visibility("default")))
#define KSIM_INVALID_DEVICE (-1)

/* Empties the bus: no devices, no faults, no recorded transfers; recording on again. */
KSIM_C_API void ksim_reset(void);

/* Whether the traffic log keeps transfers (non-zero: it does, the most recent 65536 with their
 * data, as the C++ control API's events() returns them). On by default; a program that drives
 * many commands, or probes from several threads, turns it off: the log is one list for the
 * whole bus, so every transfer recorded takes its lock. */
KSIM_C_API void ksim_record_transfers(int on);

/* Empties the bus and attaches one probe with current firmware (3.0.0.29) under
 * 1209:4B01, serial "KST00001", with a three-TAP demo chain behind it. */
KSIM_C_API void ksim_install_default_bus(void);

/* The same bus with the probe reporting another firmware version (same encoding as
 * ksim_attach_probe's), so that an outdated probe can be updated: its bootloader installs
 * the image it is given and the probe returns with that image's version. */
KSIM_C_API void ksim_install_default_bus_firmware(uint32_t firmware_version);

/* Empties the bus and attaches the default probe's bootloader (f055:4bdf, serial
 * "KSTBL0001"), as if that probe had switched into its firmware-update mode: one DFU-mode
 * interface, a flash of 256 blocks of 1 KiB whose application region (from 0x1800) holds the
 * 3.0.0.29 image the build installs, erased above it. A plain DFU upload reads that region;
 * a plain download rewrites it (see sim/bootloader/bootloader.h). */
KSIM_C_API void ksim_install_bootloader_bus(void);

/* Attaches a probe with an empty scan chain and returns its device id. serial may be null
 * for the default "KST00001"; firmware_version is the word KST_Version reports (bytes major,
 * minor, patch, build from the top); a non-zero kernel_driver_active starts both of its
 * interfaces bound to a kernel driver. */
KSIM_C_API int ksim_attach_probe(uint16_t vendor_id, uint16_t product_id, const char* serial,
                                 uint32_t firmware_version, int kernel_driver_active);

/* Takes a device off the bus; handles to it fail from then on with LIBUSB_ERROR_NO_DEVICE. */
KSIM_C_API void ksim_detach(int device);

/* Keeps a device off the bus until `scans` more device lists (libusb_get_device_list calls)
 * have been taken; it is in every list after that. 0 puts it on the bus at once. With
 * ksim_detach of the old device this models a device that re-enumerates as another. */
KSIM_C_API void ksim_appear_after_scans(int device, unsigned scans);

/* Writes every transfer on the bus from now on to path as a pcap file of usbmon records,
 * replacing the file and ending any capture before it; null only ends the capture. Bus and
 * device numbers in the records are those libusb_get_bus_number reports and a device
 * address per device. The capture goes on across ksim_reset. Returns 0, or -1 when the file
 * cannot be created (errno tells why). */
KSIM_C_API int ksim_capture(const char* path);

#ifdef __cplusplus
}
#endif

#endif /* KESTREL_SIM_KSIM_H */
