// Which libusb the library binds, in separate processes over prepared directory layouts:
// <root>/lib/libjsckestrel.so, with libusb candidates in <root>/bin and <root>/lib.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kestrel-binding-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "lib");
    fs::create_directories(root_ / "bin");
    fs::copy_file(KESTREL_LIBRARY, root_ / "lib" / "libjsckestrel.so");
  }
  void TearDown() override { fs::remove_all(root_); }

  void place(const char* file, const char* directory) {
    fs::copy_file(file, root_ / directory / "libusb-1.0.so.0");
  }

  // Runs the probe program and returns what it printed.
  std::string run(const char* extra = "") {
    const std::string command = std::string(BINDING_PROBE) + " " +
                                (root_ / "lib" / "libjsckestrel.so").string() + " " + extra;
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
    EXPECT_EQ(pclose(pipe), 0) << output;
    return output;
  }

  std::string path(const char* directory) const {
    return (root_ / directory / "libusb-1.0.so.0").string();
  }

  fs::path root_;
};

// The bin directory beside the library first, then the library's own, then the system's; the
// first candidate that loads is the one used, even when it lacks required functions.
TEST_F(BindingTest, CandidatesAreTriedInOrderAndTheFirstThatLoadsDecides) {
  const struct {
    const char* name;
    const char* bin;  // what is placed there, null: nothing
    const char* lib;
    const char* extra;
    std::string expected;
    bool whole;  // the whole output, or only its start
  } cases[] = {
      // clang-format off
      {"bin wins", SIM_LIBUSB, SIM_LIBUSB, "", "open=-260\nlibusb=" + path("bin") + "\n", true},
      {"then the library's own directory", nullptr, SIM_LIBUSB, "", "open=-260\nlibusb=" + path("lib") + "\n", true},
      {"the system's finds no probe", nullptr, nullptr, "", "open=-260\nlibusb=/", false},
      {"required functions missing", NOT_LIBUSB, SIM_LIBUSB, "", "open=-600\n", false},
      {"kernel drivers are detached", SIM_LIBUSB, nullptr, "attach", "open=-260\nlibusb=" + path("bin") + "\nopen=0\n", true},
      {"without has_capability nothing is detached", SIM_NOCAP_LIBUSB, nullptr, "attach", "open=-260\nlibusb=" + path("bin") + "\nopen=-260\n", true},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(root_ / "bin" / "libusb-1.0.so.0");
    fs::remove(root_ / "lib" / "libusb-1.0.so.0");
    if (c.bin != nullptr) place(c.bin, "bin");
    if (c.lib != nullptr) place(c.lib, "lib");
    const std::string output = run(c.extra);
    EXPECT_EQ(c.whole ? output : output.substr(0, c.expected.size()), c.expected);
    if (c.bin == nullptr && c.lib == nullptr) {
      EXPECT_EQ(output.find(root_.string()), std::string::npos) << output;
    }
  }
}

}  // namespace
