// Replacing the probe's firmware: switch to the bootloader, download the image installed
// beside the library, reboot and reopen the probe.
#include <cstdlib>

#include "dfu_handle.h"
#include "firmware_acceptance.h"
#include "firmware_image.h"
#include "kestrel/kst_probe.h"
#include "kestrel/kst_update.h"
#include "link/command_codes.h"
#include "link/libusb_binding.h"
#include "link/usb_device.h"
#include "link/usb_ids.h"
#include "link/wire.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t kBootloaderAppearsUs = 30000000;
constexpr uint32_t kBootloaderOpensUs = 10000000;
constexpr uint32_t kProbeReturnsUs = 5000000;
constexpr uint32_t kOneSecondPause = 1000000;  // units of 1/1048576 s, about 0.95 s

class Progress {
 public:
  explicit Progress(KST_ProgressCallback callback) : callback_(callback) {}

  // The pauses only separate messages a user reads; without a callback there are none.
  void pause() const {
    if (callback_ != nullptr) kst::platform::pause(kOneSecondPause);
  }
  void report(uint32_t percentage, const char* message) const {
    if (callback_ != nullptr) callback_(percentage, message);
  }
  void pauseAndReport(uint32_t percentage, const char* message) const {
    pause();
    report(percentage, message);
  }

 private:
  KST_ProgressCallback callback_;
};

int countBootloaders(const KSTInform& probe) {
  const kst::link::UsbDevice* device = kst::link::usbDeviceOf(probe);
  return device != nullptr ? kst::link::CountDfuDevices(*device) : 0;
}

void closeProbe(KSTInform** context) {
  kst::link::CloseUSBHandle(**context);
  std::free(*context);
  *context = nullptr;
}

// The DFU_MODE_SWITCH frame written raw on the command endpoint: no reply comes, so it
// bypasses the command exchange and its trace.
void sendModeSwitch(const KSTInform& probe) {
  const kst::link::UsbDevice* device = kst::link::usbDeviceOf(probe);
  if (device == nullptr) return;
  uint8_t frame[4] = {'*'};
  kst::wire::putU16(frame + 1, 1);
  frame[3] = kst::DFU_MODE_SWITCH;
  int transferred = 0;
  kst::usb::bulkTransfer(device->handle, device->commandOut, frame, sizeof frame, &transferred, 0);
}

bool waitForBootloader(const KSTInform& probe) {
  const uint32_t start = kst::platform::tickMicroseconds();
  for (;;) {
    if (countBootloaders(probe) != 0) return true;
    if (!kst::platform::beforeDeadline(kst::platform::tickMicroseconds(), start,
                                       kBootloaderAppearsUs, false))
      return false;
  }
}

kst::update::Handle* openBootloader() {
  const uint32_t start = kst::platform::tickMicroseconds();
  for (;;) {
    kst::update::DeviceInfo info{};
    kst::update::Handle* handle = nullptr;
    if (kst::update::QZDFUDeviceOpen(kst::KST_DFU_VENDOR_ID, kst::KST_DFU_PRODUCT_ID, 0, &info,
                                     &handle) == kst::update::DFU_OK)
      return handle;
    if (!kst::platform::beforeDeadline(kst::platform::tickMicroseconds(), start, kBootloaderOpensUs,
                                       false))
      return nullptr;
  }
}

int32_t downloadImage(kst::update::Handle* handle) {
  char path[kst::platform::kMaxPath] = {};
  // Without the library's own path there is no image to find.
  if (!kst::update::firmwareImagePath(path, sizeof path)) return KST_ERR_FIRMWARE_OPEN;
  uint8_t* image = nullptr;
  uint32_t size = 0;
  const int32_t read = kst::update::readImage(path, &image, &size);
  if (read != KST_OK) return read;
  const int32_t result =
      kst::update::QZDFUDownloadBin(handle, image, size, handle->appStartAddress, 1);
  std::free(image);
  return kst::update::libraryResultOf(static_cast<kst::update::DfuResult>(result));
}

// KST_Open's own steps (binding, context, USB device, connect, undone on failure) until one
// attempt succeeds or the probe has had 5 s to come back.
KSTInform* reopenProbe(uint32_t deviceIndex, const char* serialNumber, uint8_t powerMeasurement) {
  const uint32_t start = kst::platform::tickMicroseconds();
  for (;;) {
    KSTInform* probe = nullptr;
    if (KST_Open(&probe, deviceIndex, serialNumber, powerMeasurement) == KST_OK) return probe;
    if (!kst::platform::beforeDeadline(kst::platform::tickMicroseconds(), start, kProbeReturnsUs,
                                       false))
      return nullptr;
  }
}

}  // namespace

KST_API int32_t KST_AutoUpdate(KSTInform** context, uint32_t deviceIndex, const char* serialNumber,
                               uint8_t powerMeasurement, KST_ProgressCallback progress) {
  const Progress steps(progress);
  steps.report(0, "Switching the Kestrel into programming mode...\n");
  if (countBootloaders(**context) != 0) {
    if ((*context)->openFlag != 0) KST_Disconnect(*context);
    closeProbe(context);
    return KST_ERR_DFU_ALREADY_ON_BUS;
  }
  KST_Disconnect(*context);
  sendModeSwitch(**context);
  const bool switched = waitForBootloader(**context);
  closeProbe(context);
  if (!switched) return KST_ERR_DFU_NOT_APPEARED;

  steps.pauseAndReport(20, "Connecting to the Kestrel programming mode...\n");
  kst::update::Handle* bootloader = openBootloader();
  if (bootloader == nullptr) return KST_ERR_DFU_OPEN;
  steps.pauseAndReport(30, "Downloading the new firmware into the Kestrel...\n");
  const int32_t downloaded = downloadImage(bootloader);
  // The reset block makes the bootloader start the probe's firmware, new or not.
  kst::update::QZDFUDeviceClose(bootloader, 1);
  if (downloaded != KST_OK) return downloaded;

  steps.report(60, "Rebooting the Kestrel into normal operation mode...\n");
  KSTInform* probe = reopenProbe(deviceIndex, serialNumber, powerMeasurement);
  if (probe == nullptr) return KST_ERR_REOPEN;
  probe->tclkFrequency = 1000000;
  *context = probe;

  steps.pauseAndReport(90, "Finalizing the Kestrel firmware update...\n");
  uint32_t version = 0;
  uint16_t hardware = 0;
  const int32_t read = KST_Version(probe, &version, &hardware);
  if (read != KST_OK) return read;
  if (!kst::update::firmwareAccepted(version)) return KST_ERR_UPDATE_VERSION;
  steps.pauseAndReport(90, "Kestrel firmware update complete.\n");
  steps.pause();
  return KST_OK;
}
