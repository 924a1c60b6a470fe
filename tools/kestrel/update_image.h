// The firmware image `kestrel update` hands to the library: where the library reads it, the
// checks made before the probe is switched, and installing a file of the user's there.
#pragma once

#include <cstdint>
#include <string>

namespace tool {

// The largest image accepted: the probe's flash is 256 KiB (256 blocks of 1 KiB, as its
// bootloader reports them) and the application starts at 0x1800, above the bootloader; the
// DFU download refuses an image that would pass the flash top, but only after the probe has
// been switched, so kestrel refuses it first.
constexpr uint64_t kMaxImageBytes = 256 * 1024 - 0x1800;

// kestrel/firmware_3.0.0.29.bin in the directory of the loaded libjsckestrel.so, the one file
// KST_AutoUpdate reads. False with the reason when the library's file cannot be found.
bool libraryImagePath(std::string& path, std::string& error);

// A regular file this user can read, not empty and at most kMaxImageBytes; its size. False
// with one line naming the file and the problem.
bool checkImage(const std::string& path, uint64_t& bytes, std::string& error);

// Copies source to destination (its directory created when missing) through a temporary file
// renamed over it, so that a reader sees the old image or the new one, never half of one.
// Nothing is copied when both name the same file.
bool installImage(const std::string& source, const std::string& destination, std::string& error);

}  // namespace tool
