#pragma once

#include <cstdint>
#include <string>

namespace tool {

// A short readable description of a library result code.
std::string resultText(int32_t result);

}  // namespace tool
