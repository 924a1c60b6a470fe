#pragma once

#include <string>

namespace tool {

// "kestrel X.Y.Z" and the loaded library's package version from its component identity.
std::string versionText();

}  // namespace tool
