// The firmware image installed beside the library: its path and reading it whole.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst::update {

// The library's directory, "kestrel", then "/firmware_3.0.0.29.bin". On Linux that is
// <dir of libjsckestrel.so>/kestrel/firmware_3.0.0.29.bin; on Windows the module path keeps
// its backslashes, so the path reads <dir>\kestrel/firmware_3.0.0.29.bin. Each piece is cut
// to fit the buffer. False when the library's own path cannot be found.
bool firmwareImagePath(char* out, std::size_t outSize);

// Reads the file whole into a malloc'ed buffer the caller frees. 0, or the update's result
// code for the step that failed (file not opened, no memory, short read).
int32_t readImage(const char* path, uint8_t** image, uint32_t* size);

}  // namespace kst::update
