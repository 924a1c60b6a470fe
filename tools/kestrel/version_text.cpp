#include "version_text.h"

#include "kestrel/jsc.h"

namespace tool {
namespace {

// Positions of the package version (major, minor, patch, build) in the identity strings.
constexpr int kPackageVersionFirst = 4;
constexpr int kPackageVersionCount = 4;
constexpr int kBuildDate = 13;
constexpr int kBuildTime = 14;

}  // namespace

std::string versionText() {
  std::string text = "kestrel " KESTREL_PROJECT_VERSION "\nlibjsckestrel ";
  ComponentProperties* identity = nullptr;
  if (JSC_CreateProperty(&identity) != 0) return text + "(version unknown)";
  for (int i = 0; i < kPackageVersionCount; ++i)
    text += std::string(i == 0 ? "" : ".") + identity->strings[kPackageVersionFirst + i];
  text += std::string(" (built ") + identity->strings[kBuildDate] + " " +
          identity->strings[kBuildTime] + ")";
  JSC_DeleteProperty(&identity);
  return text;
}

}  // namespace tool
