// The nimbus logger as a user installs it: level filter and file sink. (Lines captured from
// many threads at once: tests/threads.)
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "kestrel/logging.h"
#include "nimbus_logger/control.h"
#include "support/portable.h"

extern "C" Logging::ILogger* GetLogger();

namespace {

TEST(NimbusLogger, FiltersByLevelAndWritesTimestampedLinesToAFile) {
  const std::filesystem::path directory = kstest::temporaryDirectory("nimbus-logger");
  const std::string path = (directory / "trace.log").string();
  ASSERT_EQ(nimbus_logger_configure(2, path.c_str()), 0);
  Logging::ILogger* logger = GetLogger();
  ASSERT_NE(logger, nullptr);
  EXPECT_TRUE(logger->IsEnabled());
  EXPECT_FALSE(logger->IsFiltered(48, 3, 2));
  EXPECT_TRUE(logger->IsFiltered(48, 3, 3));
  logger->Log(nullptr, 48, 3, 2, "value %d", 42);
  logger->Log(nullptr, 48, 3, 3, "dropped");
  logger->LogMessage(nullptr, 48, 3, 1, "100% plain");
  ASSERT_EQ(nimbus_logger_configure(0, nullptr), 0);
  EXPECT_FALSE(logger->IsEnabled());

  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(12), " [2] 48.3 value 42");
  EXPECT_EQ(lines[1].substr(12), " [1] 48.3 100% plain");
  file.close();
  std::filesystem::remove_all(directory);
  EXPECT_NE(nimbus_logger_configure(1, "/nonexistent-dir/trace.log"), 0);
  nimbus_logger_configure(0, nullptr);
}

}  // namespace
