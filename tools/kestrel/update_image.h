// The firmware image `kestrel update` hands to the library: where the library reads it, and
// the rules a file must meet before the probe is switched into its bootloader.
#pragma once

#include <cstdint>
#include <string>

namespace tool {

// The largest image: the probe's flash is 256 KiB (256 blocks of 1 KiB, as its bootloader
// reports them) and the application starts at 0x1800, above the bootloader. The download
// refuses an image that would pass the flash top, but only after the probe has been switched.
constexpr uint64_t kMaxImageBytes = 256 * 1024 - 0x1800;

// The image begins with a Cortex-M vector table: the initial stack pointer, the reset handler,
// and the firmware's version in the first reserved slot, where the probe reads it from when it
// starts (the bootloader hands the probe's version on from there).
constexpr uint32_t kResetVectorOffset = 4;
constexpr uint32_t kImageVersionOffset = 0x1C;
constexpr uint64_t kMinImageBytes = kImageVersionOffset + 4;

// kestrel/firmware_3.0.0.29.bin in the directory of the loaded libjsckestrel.so, the one file
// KST_AutoUpdate reads. False with the reason when the library's file cannot be found.
bool libraryImagePath(std::string& path, std::string& error);

struct ImageCheck {
  int status = 0;      // 0; kExitNoInput when the file cannot be read; kExitDataErr otherwise
  std::string error;   // one line naming the file and the broken rule
  uint64_t bytes = 0;  // when the file could be read
  uint32_t version = 0;
};

// Whether the file is a firmware image this library can install:
// - a regular file this user can read (else kExitNoInput);
// - kMinImageBytes to kMaxImageBytes bytes, a whole number of 32-bit words (flash is written
//   in words, and a linker pads the image to them: a size that is not is a cut-off file);
// - no DFU suffix (the library downloads the file as it stands: a .dfu file would be flashed
//   with its suffix);
// - a reset handler with its Thumb bit set (a Cortex-M cannot start otherwise);
// - a version word the library accepts (3.0.0.29 or later within 3.0): the update checks the
//   probe's version after the reboot, so any other image would be flashed and then refused,
//   leaving the probe with firmware the library does not work with.
ImageCheck checkImage(const std::string& path);

}  // namespace tool
