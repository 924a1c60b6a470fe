#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/portable.h"

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
  EXPECT_EQ(pathFileName(nullptr), nullptr);
}

TEST(DirectoryOfFileName, CutsAfterTheSeparatorOrADriveColonWhenItFits) {
  const struct {
    const char* file;
    std::size_t outSize;
    const char* separators;
    char drive;
    const char* expected;  // null: refused
  } cases[] = {
      {"C:\\tools\\jsckestrel.dll", kMaxPath, "\\", '\\', "C:\\tools\\"},
      {"C:jsckestrel.dll", kMaxPath, "\\", '\\', "C:\\"},
      {"jsckestrel.dll", kMaxPath, "\\", '\\', nullptr},
      {"C:libjsckestrel.so", kMaxPath, "/", 0, nullptr},  // no drives: a colon is no separator
      {"/abcde/x", 8, "/", 0, "/abcde/"},                 // 7 and the NUL
      {"/abcdef/x", 8, "/", 0, nullptr},
      {"C:x", 3, "\\", '\\', nullptr},  // the separator appended must fit too
      {"/a/x", 0, "/", 0, nullptr},
      {nullptr, kMaxPath, "/", 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file != nullptr ? c.file : "null");
    char out[kMaxPath] = "untouched";
    EXPECT_EQ(directoryOfFileName(c.file, out, c.outSize, c.separators, c.drive),
              c.expected != nullptr);
    EXPECT_STREQ(out, c.expected != nullptr ? c.expected : "untouched");
  }
  EXPECT_FALSE(directoryOfFileName("/a/x", nullptr, kMaxPath, "/", 0));
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
  EXPECT_EQ(elapsedPauseUnits(10, 0), 0u) << "no counter: no time passes";
}

TEST(LoadedModules, FunctionsFallBackToTheUnderscoredNameAndPathsFitOrAreRefused) {
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
  EXPECT_EQ(findFunction(module, nullptr), nullptr);
  EXPECT_EQ(findFunction(nullptr, "kst_lookup_target"), nullptr);

  // Paths are returned whole, with the file name replaced, or not at all (true: failure).
  const std::string file = kstest::systemPath(UNDERSCORE_ONLY_LIBRARY);
  const char* name = pathFileName(UNDERSCORE_ONLY_LIBRARY);
  const std::size_t length = file.size();
  std::string directory = file;
  directory.erase(directory.find_last_of("/\\") + 1);
  char path[kMaxPath];
  ASSERT_FALSE(modulePathWithName(path, sizeof path, name, nullptr));
  EXPECT_EQ(std::string(path), file);
  ASSERT_FALSE(modulePathWithName(path, sizeof path, name, "C:\\x\\kestrel"));
  EXPECT_EQ(std::string(path), directory + "kestrel");
  EXPECT_TRUE(modulePathWithName(path, length, name, nullptr)) << "a full buffer may be cut";
  EXPECT_FALSE(modulePathWithName(path, length + 1, name, nullptr));
  EXPECT_TRUE(modulePathWithName(path, length + 1, name, "a-name-longer-than-the-old-one.so"));
  EXPECT_TRUE(modulePathWithName(nullptr, sizeof path, name, nullptr));
  EXPECT_TRUE(modulePathWithName(path, sizeof path, "libnot-loaded-here.so", nullptr));
  EXPECT_TRUE(modulePathWithName(path, sizeof path, nullptr, nullptr)) << "no board module here";
  ASSERT_TRUE(ownDirectory(name, path, sizeof path));
  EXPECT_EQ(std::string(path), directory);
  EXPECT_FALSE(ownDirectory(name, path, directory.size()));
  EXPECT_FALSE(ownDirectory("libnot-loaded-here.so", path, sizeof path));
  EXPECT_TRUE(freeLibrary(module));
  EXPECT_FALSE(freeLibrary(nullptr));
  EXPECT_EQ(loadLibrary("libkestrel-does-not-exist.so"), nullptr);
  EXPECT_EQ(loadLibrary(""), nullptr);
}

}  // namespace
