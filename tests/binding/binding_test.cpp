// Which libusb the library binds, in separate processes over prepared directory layouts:
// <root>/lib/ holding the library, with libusb candidates in <root>/bin and <root>/lib.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/portable.h"

namespace {

namespace fs = std::filesystem;

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = kstest::temporaryDirectory("kestrel-binding");
  }
  void TearDown() override { fs::remove_all(root_); }

  // A fresh layout: the library in lib/, and the given libusb candidates (null: none).
  void layout(const char* inBin, const char* inLib) {
    fs::remove_all(root_);
    fs::create_directories(root_ / "lib");
    fs::create_directories(root_ / "bin");
    fs::copy_file(KESTREL_LIBRARY, root_ / "lib" / kstest::kLibraryFile);
    if (inBin != nullptr) fs::copy_file(inBin, path("bin"));
    if (inLib != nullptr) fs::copy_file(inLib, path("lib"));
  }

  // Runs the probe program and returns what it printed.
  std::string run(const char* extra) {
    const std::string command = std::string(BINDING_PROBE) + " " +
                                (root_ / "lib" / kstest::kLibraryFile).string() + " " + extra;
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
    EXPECT_EQ(pclose(pipe), 0) << output;
    return output;
  }

  std::string path(const char* directory) const {
    return (root_ / directory / kstest::kLibusbFile).string();
  }

  fs::path root_;
};

// The bin directory beside the library first, then the library's own, then the system's; the
// first candidate that loads is the one used, and is refused without the functions needed.
// The second open, of a probe held by a kernel driver, shows whether drivers are detached.
TEST_F(BindingTest, TheFirstLibusbThatLoadsIsBoundAndDetachesWhereItCanSaySo) {
  const struct {
    const char* inBin;
    const char* inLib;
    const char* extra;
    const char* bound;    // the directory of the bound libusb; null: the system's
    const char* printed;  // after the libusb line; the whole output when bound is "-"
  } cases[] = {
      {SIM_LIBUSB, SIM_LIBUSB, "", "bin", ""},
      {nullptr, SIM_LIBUSB, "", "lib", ""},
      {nullptr, nullptr, "", nullptr, ""},
      {NOT_LIBUSB, SIM_LIBUSB, "", "-", "open=-600\n"},
      {SIM_LIBUSB, nullptr, "attach", "bin", "open=0\n"},
      {SIM_NOCAP_LIBUSB, nullptr, "attach", "bin", "open=-260\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.inBin ? c.inBin : "-") + " " + (c.inLib ? c.inLib : "-"));
    layout(c.inBin, c.inLib);
    const std::string output = run(c.extra);
    if (c.bound == nullptr && !kstest::kSystemLibusb) {
      EXPECT_EQ(output, "open=-600\nlibusb=none\n");  // nothing to bind: the open is refused
    } else if (c.bound == nullptr) {
      EXPECT_EQ(output.rfind("open=-260\nlibusb=/", 0), 0u) << output;
      EXPECT_EQ(output.find(root_.string()), std::string::npos) << output;
    } else if (std::string(c.bound) == "-") {
      EXPECT_EQ(output.rfind(c.printed, 0), 0u) << output;
    } else {
      EXPECT_EQ(output, "open=-260\nlibusb=" + path(c.bound) + "\n" + c.printed);
    }
  }
}

}  // namespace
