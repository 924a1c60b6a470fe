// The tool's messages come from the library's result-code registry.
#include "kestrel/result_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultText, LibraryCodesAreExplainedAndProbeCodesShownAsTheyAre) {
  EXPECT_EQ(tool::resultText(-260),
            "no Kestrel probe could be found, opened and claimed on USB (-260)");
  EXPECT_EQ(tool::resultText(-448), "a configuration value that cannot be used (-448)");
  EXPECT_EQ(tool::resultText(-1), "probe error 0xffffffff") << "not a DFU client result";
}

}  // namespace
