#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "kestrel/jsc.h"
#include "platform/platform.h"

namespace {

TEST(ComponentIdentity, RecordsAreIndependentAndHoldTheirStringsInOneBlock) {
  ComponentProperties* first = nullptr;
  ComponentProperties* second = nullptr;
  ASSERT_EQ(JSC_CreateProperty(&first), 0);
  ASSERT_EQ(JSC_CreateProperty(&second), 0);
  EXPECT_EQ(first->formatWord1, 2u);
  EXPECT_EQ(first->formatWord2, 18u);
  std::size_t total = 0;
  for (const char* text : first->strings) {
    EXPECT_GE(text, first->stringBlock);
    EXPECT_LT(text, first->stringBlock + first->stringBlockSize);
    total += std::strlen(text) + 1;
  }
  EXPECT_EQ(total, first->stringBlockSize);
  EXPECT_STREQ(first->strings[8], "LOOM component file");
  EXPECT_STREQ(first->strings[17], "JSC");
  // The module names of this system (libjsckestrel.so or jsckestrel.dll, and its partner).
  EXPECT_STREQ(first->strings[19], kst::platform::kOwnModuleName);
  EXPECT_STREQ(first->strings[22], kst::platform::kPartnerModuleName);
  EXPECT_TRUE(
      std::regex_match(first->strings[13], std::regex("[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}")));
  EXPECT_TRUE(std::regex_match(first->strings[14], std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}")));

  ASSERT_EQ(JSC_DeleteProperty(&first), 0);
  EXPECT_EQ(first, nullptr);
  EXPECT_STREQ(second->strings[18], "Kestrel scan control");
  EXPECT_EQ(JSC_DeleteProperty(&first), -122);
  EXPECT_EQ(JSC_DeleteProperty(nullptr), -122);
  EXPECT_EQ(JSC_CreateProperty(nullptr), -122);
  ASSERT_EQ(JSC_DeleteProperty(&second), 0);
}

}  // namespace
