// The tool's messages come from the library's result-code registry.
#include "kestrel/result_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultText, EveryCodeIsShownWithItsNameAndMeaning) {
  EXPECT_EQ(tool::resultText(-260),
            "no Kestrel probe could be found, opened and claimed on USB (KST_ERR_NO_PROBE, -260)");
  EXPECT_EQ(tool::resultText(-1), "probe error 0xffffffff (a code kestrel has no name for)")
      << "not a DFU client result";
}

}  // namespace
