/* Result codes the Kestrel library makes itself. Every exported function and operation
 * returns a signed 32-bit result: 0 on success, one of these, or (from the command
 * functions) the probe's own result passed through unchanged. */
#ifndef KESTREL_KST_RESULTS_H
#define KESTREL_KST_RESULTS_H

#define KST_OK 0

/* Command library */
#define KST_ERR_BAD_ARGUMENT (-122) /* null context or pointer, size outside the packet limits */
#define KST_ERR_NO_MEMORY (-131)    /* allocation failed */
#define KST_ERR_NO_PROBE (-260)     /* no probe could be found, opened and claimed on USB */
#define KST_ERR_NO_REPLY (-261)     /* send failed, no reply, wrong reply size or bad reply frame */
#define KST_ERR_DATA_PORT (-262)    /* the bulk read on the data port failed */
#define KST_ERR_USB_LIBRARY (-600)  /* libusb could not be loaded or lacks a required function */

/* Firmware update (KST_AutoUpdate) */
#define KST_ERR_FIRMWARE_READ (-135) /* the firmware file could not be read whole */
#define KST_ERR_DFU_ALREADY_ON_BUS \
  (-264)                                /* an update-mode device was on the bus before the switch */
#define KST_ERR_DFU_NOT_APPEARED (-590) /* no update-mode device appeared within 30 s */
#define KST_ERR_DFU_OPEN (-591)         /* the update-mode device did not open within 10 s */
#define KST_ERR_DFU_DOWNLOAD (-592)     /* the download to the bootloader failed */
#define KST_ERR_UPDATE_VERSION (-593)   /* the firmware is still outside the accepted versions */
#define KST_ERR_REOPEN (-594)           /* the probe did not reopen within 5 s after the update */
#define KST_ERR_FIRMWARE_OPEN (-595)    /* the firmware file could not be opened */

/* Scan-controller interface */
#define JSC_ERR_NO_SCAN_DATA (-115)   /* a scan without out data or in buffer */
#define JSC_ERR_WRONG_STATE (-116)    /* handle not bound/opened as the call needs, or bad counts */
#define JSC_ERR_NOT_SUPPORTED (-120)  /* operation not supported (or by this probe's hardware) */
#define JSC_ERR_SHARE_REGISTRY (-164) /* the share registry could not take the handle */
#define JSC_ERR_FIRMWARE_REFUSED (-263)      /* firmware version not acceptable and not updated */
#define JSC_ERR_SUPPLY_VOLTAGE (-268)        /* target supply voltage outside 1800..3600 mV */
#define JSC_ERR_EVENT_LOG_FULL (-519)        /* event log full and overflow not allowed */
#define JSC_ERR_EVENT_PAIR_FULL (-520)       /* event log full while appending a marked pair */
#define JSC_ERR_NO_DEVICE_DESCRIPTION (-320) /* the framework knows no such device */
#define JSC_ERR_ROUTER_PORT (-496)           /* router port out of range for the router type */
#define JSC_ERR_NOT_PROVIDED (-601)          /* operation not provided */
#define JSC_ERR_SWD_CONNECTED (-611)         /* a JTAG operation while connected in SWD mode */
#define JSC_ERR_SWD_NOT_CONNECTED (-612)     /* an SWD operation while not connected in SWD mode */

/* Configuration keys (returned by JSC_CreateHandle) */
#define CFG_ERR_JTAGBOOT_MODE (-220)   /* LOOM.JTAGBOOT_MODE */
#define CFG_ERR_JTAGBOOT_VALUE (-221)  /* LOOM.JTAGBOOT_VALUE */
#define CFG_ERR_POWERBOOT_MODE (-222)  /* LOOM.POWERBOOT_MODE */
#define CFG_ERR_POWERBOOT_VALUE (-223) /* LOOM.POWERBOOT_VALUE */
#define CFG_ERR_EMUOUTPUT_MODE (-224)  /* LOOM.EMUOUTPUT_MODE */
#define CFG_ERR_EMUOUTPUT_VALUE (-225) /* LOOM.EMUOUTPUT_VALUE */
#define CFG_ERR_LOOPBACK_MODE (-226)   /* LOOM.LOOPBACK_MODE */
#define CFG_ERR_LOOPBACK_VALUE (-227)  /* LOOM.LOOPBACK_VALUE */
#define CFG_ERR_BOOT_PINMAP (-228)     /* LOOM.BOOT_PINMAP */
#define CFG_ERR_SCAN_BITS (-272)       /* LOOM.TCLK_SCAN_BITS outside 256..524288 */
#define CFG_ERR_PATH_IRSIZE (-273)     /* LOOM.TCLK_PATH_IRSIZE above 524288 */
#define CFG_ERR_PATH_DRSIZE (-274)     /* LOOM.TCLK_PATH_DRSIZE above 524288 */
#define CFG_ERR_SQUALL_SERIAL (-292)   /* squall ECOM serial not "QRVM-" and 17 characters */
#define CFG_ERR_SQUALL_PORT (-293)     /* squall without serial: selected port above 4095 */
#define CFG_ERR_TCLK_PROGRAM (-300)    /* LOOM.TCLK_PROGRAM */
#define CFG_ERR_TCLK_BEGINNING (-301)  /* LOOM.TCLK_BEGINNING */
#define CFG_ERR_TCLK_FREQUENCY (-302)  /* LOOM.TCLK_FREQUENCY */
#define CFG_ERR_TCLK_ADVANCE (-303)    /* LOOM.TCLK_ADVANCE */
#define CFG_ERR_TCLK_RETREAT (-304)    /* LOOM.TCLK_RETREAT */
#define CFG_ERR_TCLK_REFERENCE (-305)  /* LOOM.TCLK_REFERENCE */
#define CFG_ERR_TCLK_INITIAL (-306)    /* LOOM.TCLK_INITIAL */
#define CFG_ERR_TCLK_TERMINAL (-307)   /* LOOM.TCLK_TERMINAL */
#define CFG_ERR_TCLK_TESTMODE (-308)   /* LOOM.TCLK_TESTMODE */
#define CFG_ERR_TCLK_OVERFLOW (-309)   /* LOOM.TCLK_OVERFLOW */
#define CFG_ERR_TEXT_LENGTH (-445)     /* a pod text of length 0 or above 256 */
#define CFG_ERR_BOOLEAN_TEXT (-446)    /* a pod supply text that is no boolean word or number */
#define CFG_ERR_BAD_VALUE (-448)       /* a configuration value that cannot be used */

#endif
