// Running this program again on a private copy of the library's directory.
//
// The library reads its firmware image only from kestrel/ beside itself. An update with an
// image of the user's, or on the virtual probe (whose image must never lie where the real
// probe's is looked for), therefore runs on a copy: a temporary directory holding the
// library, the logger found beside it and the image, loaded in place of the installed library
// (LD_LIBRARY_PATH comes before the program's RUNPATH) and removed when the run ends. Nothing
// of the installed tree is written.
#pragma once

#include <string>

#include "options.h"

namespace tool {

// Every --sim run (any framework open may update the virtual probe, and the copy has no
// system libusb beside it to shadow the virtual probe), and update --image.
bool needsPrivateLibrary(const Options& options);

// True in the run on the copy, once the loaded library is checked to be the copy; false with
// the reason in error when KESTREL_PRIVATE_LIBRARY names a directory the library is not in.
// False and no error outside such a run.
bool inPrivateRun(std::string& error);

struct PrivateRun {
  bool ran = false;  // the program ran again: its status is this run's, its output its own
  int status = 0;
  std::string error;  // when it did not run: why not
};

// Makes the copy with the image as kestrel/firmware_3.0.0.29.bin (no image when empty), runs
// argv again on it, waits for it and removes the copy.
PrivateRun runOnPrivateLibrary(char** argv, const std::string& image);

}  // namespace tool
