#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace {

using namespace kst::platform;

TEST(PathFileName, TakesTextAfterTheLastSeparatorOfTheFirstKindFound) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"C:\\a/b\\c.dll", "c.dll"}, {"a/b:c", "b:c"}, {"C:x", "x"},
      {"plain", "plain"},          {"dir\\", ""},    {"/usr/lib/libx.so", "libx.so"},
      {"a\\b/c", "b/c"},  // a backslash wins over a later slash
  };
  for (const auto& c : cases) EXPECT_STREQ(pathFileName(c.path), c.expected) << c.path;
}

TEST(DirectoryOfFileName, CutsAfterTheSeparatorOrAfterADriveColon) {
  char out[kMaxPath];
  ASSERT_TRUE(directoryOfFileName("C:\\tools\\jsckestrel.dll", out, sizeof out, "\\", '\\'));
  EXPECT_STREQ(out, "C:\\tools\\");
  ASSERT_TRUE(directoryOfFileName("C:jsckestrel.dll", out, sizeof out, "\\", '\\'));
  EXPECT_STREQ(out, "C:\\");
  ASSERT_TRUE(directoryOfFileName("/opt/kestrel/lib/libjsckestrel.so", out, sizeof out, "/", 0));
  EXPECT_STREQ(out, "/opt/kestrel/lib/");
  EXPECT_FALSE(directoryOfFileName("jsckestrel.dll", out, sizeof out, "\\", '\\'));
  // A colon is no separator where paths have no drives.
  EXPECT_FALSE(directoryOfFileName("C:libjsckestrel.so", out, sizeof out, "/", 0));
}

TEST(DirectoryOfFileName, RefusesADirectoryThatDoesNotFitTheBuffer) {
  char out[8];
  EXPECT_TRUE(directoryOfFileName("/abcde/x", out, sizeof out, "/", 0));  // 7 + NUL
  EXPECT_FALSE(directoryOfFileName("/abcdef/x", out, sizeof out, "/", 0));
}

TEST(BeforeDeadline, ComparesTheWrappedElapsedTime) {
  const struct {
    uint32_t now, start, limit;
    bool noLimit, expected;
  } cases[] = {
      {5, 10, 100, false, false},  // now below start: the elapsed value wraps to a huge one
      {5, 10, 100, true, true},   {109, 10, 100, false, true}, {110, 10, 100, false, false},
      {10, 10, 1, false, true},   {10, 10, 0, false, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(beforeDeadline(c.now, c.start, c.limit, c.noLimit), c.expected)
        << c.now << " " << c.start << " " << c.limit;
}

TEST(ElapsedPauseUnits, UsesTheWholeNumberDivisionsOfTheCounterFrequency) {
  EXPECT_EQ(elapsedPauseUnits(12345, 1048576), 12345u);
  // One second of a 1 GHz counter: 1e9 / (1e9 / 1048576 = 953) units, a little over 1048576.
  EXPECT_EQ(elapsedPauseUnits(1000000000, 1000000000), 1049317u);
  EXPECT_EQ(elapsedPauseUnits(10, 524288), 20u);
  EXPECT_EQ(elapsedPauseUnits(10, 3000000), 5u);  // 3000000 / 1048576 = 2 ticks per unit
}

TEST(Pause, WaitsAtLeastTheUnitsAskedFor) {
  const auto start = std::chrono::steady_clock::now();
  pause(52429);  // about 50 ms
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::microseconds(49900));
  EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
  pause(0);
}

TEST(FindFunction, FallsBackToTheUnderscoredName) {
  ModuleHandle module = loadLibrary(UNDERSCORE_ONLY_LIBRARY);
  ASSERT_NE(module, nullptr);
  auto function = reinterpret_cast<int (*)()>(findFunction(module, "kst_lookup_target"));
  ASSERT_NE(function, nullptr);
  EXPECT_EQ(function(), 42);
  auto longNamed = reinterpret_cast<int (*)()>(
      findFunction(module,
                   "kst_lookup_target_with_a_name_far_longer_than_any_fixed_buffer_a_lookup_might_"
                   "use_for_the_underscored_form_of_the_name_it_was_given"));
  ASSERT_NE(longNamed, nullptr) << "names of any length fall back";
  EXPECT_EQ(longNamed(), 43);
  EXPECT_EQ(findFunction(module, "kst_no_such_function"), nullptr);
  EXPECT_TRUE(freeLibrary(module));
  EXPECT_EQ(loadLibrary("libkestrel-does-not-exist.so"), nullptr);
}

TEST(ModulePathWithName, ReplacesTheFileNameOfALoadedModule) {
  ModuleHandle module = loadLibrary(UNDERSCORE_ONLY_LIBRARY);
  ASSERT_NE(module, nullptr);
  const char* name = pathFileName(UNDERSCORE_ONLY_LIBRARY);
  char path[kMaxPath];
  ASSERT_FALSE(modulePathWithName(path, sizeof path, name, nullptr));
  EXPECT_STREQ(path, UNDERSCORE_ONLY_LIBRARY);
  ASSERT_FALSE(modulePathWithName(path, sizeof path, name, "C:\\x\\kestrel"));
  std::string expected = UNDERSCORE_ONLY_LIBRARY;
  expected.replace(expected.rfind('/') + 1, std::string::npos, "kestrel");
  EXPECT_EQ(std::string(path), expected);

  const std::size_t length = std::strlen(UNDERSCORE_ONLY_LIBRARY);
  EXPECT_TRUE(modulePathWithName(path, length, name, nullptr)) << "a full buffer may be cut";
  EXPECT_FALSE(modulePathWithName(path, length + 1, name, nullptr));
  EXPECT_TRUE(modulePathWithName(nullptr, sizeof path, name, nullptr));
  EXPECT_TRUE(modulePathWithName(path, sizeof path, "libnot-loaded-here.so", nullptr));
  freeLibrary(module);
}

TEST(OwnDirectory, FailsForAModuleThatIsNotLoaded) {
  char out[kMaxPath];
  EXPECT_FALSE(ownDirectory("libnot-loaded-here.so", out, sizeof out));
}

}  // namespace
