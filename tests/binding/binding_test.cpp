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
    fs::create_directories(root_ / "lib");
    fs::create_directories(root_ / "bin");
    fs::copy_file(KESTREL_LIBRARY, root_ / "lib" / kstest::kLibraryFile);
  }
  void TearDown() override { fs::remove_all(root_); }

  void place(const char* file, const char* directory) {
    fs::copy_file(file, root_ / directory / kstest::kLibusbFile);
  }

  // Runs the probe program and returns what it printed.
  std::string run(const char* extra = "") {
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

TEST_F(BindingTest, TheBinDirectoryBesideTheLibraryWinsOverItsOwnDirectory) {
  place(SIM_LIBUSB, "bin");
  place(SIM_LIBUSB, "lib");
  EXPECT_EQ(run(), "open=-260\nlibusb=" + path("bin") + "\n");
}

TEST_F(BindingTest, TheLibrarysOwnDirectoryComesNext) {
  place(SIM_LIBUSB, "lib");
  EXPECT_EQ(run(), "open=-260\nlibusb=" + path("lib") + "\n");
}

TEST_F(BindingTest, TheSystemLibusbFindsNoProbe) {
  const std::string output = run();
  if (!kstest::kSystemLibusb) {  // nothing to bind: the open is refused
    EXPECT_EQ(output, "open=-600\nlibusb=none\n");
    return;
  }
  EXPECT_EQ(output.rfind("open=-260\nlibusb=/", 0), 0u) << output;
  EXPECT_EQ(output.find(root_.string()), std::string::npos) << output;
}

TEST_F(BindingTest, ALibraryMissingRequiredFunctionsIsRefused) {
  place(NOT_LIBUSB, "bin");
  place(SIM_LIBUSB, "lib");  // not tried: the first candidate that loads is the one used
  EXPECT_EQ(run().rfind("open=-600\n", 0), 0u);
}

TEST_F(BindingTest, KernelDriversAreDetachedWhereLibusbCanSayItCan) {
  place(SIM_LIBUSB, "bin");
  EXPECT_EQ(run("attach"), "open=-260\nlibusb=" + path("bin") + "\nopen=0\n");
}

TEST_F(BindingTest, ALibusbWithoutHasCapabilityIsAcceptedButDetachesNothing) {
  place(SIM_NOCAP_LIBUSB, "bin");
  EXPECT_EQ(run("attach"), "open=-260\nlibusb=" + path("bin") + "\nopen=-260\n");
}

}  // namespace
