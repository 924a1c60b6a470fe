// The image `mem write FILE` writes: its format from --format or from its first bytes, its
// regions decoded from the opened file.
#pragma once

#include <string>

#include "image/image.h"
#include "input_file.h"

namespace tool {

// 0, or 65 with the one-line reason (naming path) in error: a file in no known format, one
// that breaks its format, or a raw binary (which needs an address).
int loadImage(InputFile& file, const std::string& path, const std::string& format, Image& image,
              std::string& error);

}  // namespace tool
