// Value parsing where it bites: the frequency grammar, keyword matching, boolean words
// and dotted addresses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/frequency.h"
#include "config/keywords.h"
#include "config/value_readers.h"

namespace {

using namespace kst::config;

uint32_t code(int e, unsigned m) {
  return frequencyCode(e, m);
}

TEST(FrequencyParser, AcceptsTheGrammarsFormsWithExactCodes) {
  const struct {
    const char* text;
    uint32_t expected;
  } cases[] = {
      {"10", code(3, 16)},       {"10.25", code(3, 18)},    {"12.5", code(3, 36)},
      {"7.5", code(2, 56)},      {"0.5", code(-1, 0)},      {"64", code(6, 0)},
      {"64.5", code(6, 0)},      {"10MHz", code(3, 16)},    {"10.0MHz", code(3, 16)},
      {"10mhz", code(3, 16)},    {"10MHZ", code(3, 16)},    {"1000kHz", code(0, 0)},
      {"1000000Hz", code(0, 0)}, {"500000Hz", code(-1, 0)}, {"5Hz", code(-18, 22)},
      {"0.001", code(-10, 2)},   {"1.999MHz", code(0, 64)}, {"100kHz", code(-4, 39)},
      {"010.5", code(3, 4)},  // octal integer part: 8.5 MHz
      {"09.5", code(-1, 0)},  // reading stops at the first non-octal digit: 0.5 MHz
  };
  for (const auto& c : cases) {
    uint32_t out = 0;
    EXPECT_TRUE(parseFrequency(c.text, std::strlen(c.text), out)) << c.text;
    EXPECT_EQ(out, c.expected) << c.text << " gave " << std::hex << out;
  }
}

TEST(FrequencyParser, RefusesTextsOutsideTheGrammarAndLeavesTheNoFrequencyCode) {
  const char* refused[] = {"",    "0",     "0.0",   "10.",     "10.MHz",    "1.2.3", "+5",    " 5",
                           "abc", "65",    "127.5", "1010kHz", "2000000Hz", "1e6",   "5 MHz", "-1",
                           "MHz", "128.0", "127",   ".",       "0x10",      "10KHz5"};
  for (const char* text : refused) {
    uint32_t out = 0x1234;
    EXPECT_FALSE(parseFrequency(text, std::strlen(text), out)) << text;
    EXPECT_EQ(out, kNoFrequency) << text;
  }
  // A value whose hertz quotient falls below the smallest exponent.
  const std::string tiny = "0." + std::string(38, '0') + "3Hz";
  uint32_t out = 0;
  EXPECT_FALSE(parseFrequency(tiny.c_str(), tiny.size(), out));
  EXPECT_FALSE(parseFrequency("10\0x", 4, out)) << "a NUL inside the reported length";
  EXPECT_TRUE(parseFrequency("10MHz trailing", 5, out)) << "only the reported length counts";
}

TEST(FrequencyArithmetic, ComparesDividesAndConvertsToHertz) {
  EXPECT_TRUE(frequencyLess(code(-1, 63), code(0, 0)));
  EXPECT_TRUE(frequencyLess(code(3, 16), code(3, 17)));
  EXPECT_FALSE(frequencyLess(code(3, 16), code(3, 16)));
  EXPECT_TRUE(frequencyLess(code(-128, 0), code(127, 0)));
  uint32_t a = code(6, 36);  // 100 as a plain number, then read as kilohertz
  frequencyDivide(a, kKilohertzDivisor);
  EXPECT_EQ(a, code(-4, 39));
  EXPECT_EQ(frequencyHertz(a), 100585u);
  EXPECT_EQ(frequencyHertz(code(3, 19)), 10375000u);
  EXPECT_EQ(frequencyHertz(code(-11, 0)), 488u);
  EXPECT_EQ(frequencyHertz(kHertzDivisor), 999424000000u);
  EXPECT_EQ(frequencyHertz(code(127, 63)), UINT64_MAX) << "saturates";
}

TEST(Keywords, AbbreviationsMatchInTableOrder) {
  const Keyword words[] = {{"single", 1},  {"series", 2},  {"", 9},
                           {"default", 3}, {"minimum", 4}, {"maximum", 5}};
  const KeywordTable t = table(words);
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"s", 0},
      {"se", 1},
      {"DEFAULT", 3},
      {"Def", 3},
      {"d", 3},
      {"m", 4},
      {"max", 5},
      {"defaultx", kNoMatch},
      {"", kNoMatch},
      {"x", kNoMatch},
      {"minimumm", kNoMatch},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lookupAbbreviated(c.text, std::strlen(c.text), t), c.expected) << c.text;
  EXPECT_EQ(lookupWholeWord("MAXIMUM", t), 5);
  EXPECT_EQ(lookupWholeWord("max", t), kNoMatch);
  EXPECT_TRUE(abbreviates("default", "DEF", 3));
  EXPECT_FALSE(abbreviates("default", "DEFAULTS", 8));
  EXPECT_TRUE(abbreviates("default", "DEFAULT\0", 8)) << "a length that counts the NUL";
}

TEST(BooleanWords, ReadWordsThenNumbers) {
  const struct {
    const char* text;
    bool ok, value;
  } cases[] = {
      {"yes", true, true},     {"High", true, true},    {"7", true, true},     {"0x10", true, true},
      {"5abc", true, true},    {"no", true, false},     {"Zero", true, false}, {"0", true, false},
      {"NEGATE", true, false}, {"maybe", false, false}, {"on", false, false},  {"", false, false},
      {"yess", false, false},
  };
  for (const auto& c : cases) {
    bool value = !c.value;
    EXPECT_EQ(readBooleanWord(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(DottedAddress, ReadsFourShortRunsAndRefusesTheRest) {
  uint32_t address = 0;
  ASSERT_TRUE(readDottedAddress("192.168.0.1", 11, address));
  EXPECT_EQ(address, 0xC0A80001u);
  ASSERT_TRUE(readDottedAddress("010.0.0.999", 11, address));
  EXPECT_EQ(address, 0x080000E7u) << "octal runs, each cut to 8 bits";
  // All but the first pass the check of 7 to 15 characters: another rule refuses each.
  const char* refused[] = {"1.2.3",      "1..2.3.4",  ".1.2.3.4",     "1.2.3.4.",
                           "1234.1.1.1", "1.2.3.4.5", "1.2.3.a",      "1.2.3.4 ",
                           "12.34.567",  "11.22.33.", "12.34.56.78.9"};
  for (const char* text : refused)
    EXPECT_FALSE(readDottedAddress(text, std::strlen(text), address)) << text;
}

}  // namespace
