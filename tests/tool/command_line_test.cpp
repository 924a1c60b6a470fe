// The command line's accepted and refused forms.
#include "kestrel/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "kestrel/exit_status.h"
#include "kestrel/number.h"
#include "support/portable.h"

namespace {

using tool::Command;

struct Parsed {
  int status;
  tool::Options options;
  std::string out, err;
};

// The line's words, split at spaces.
Parsed parse(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  std::vector<const char*> argv{"kestrel"};
  for (const std::string& word : words) argv.push_back(word.c_str());
  Parsed parsed{};
  std::ostringstream out, err;
  parsed.status =
      tool::parseCommandLine(static_cast<int>(argv.size()), argv.data(), parsed.options, out, err);
  parsed.out = out.str();
  parsed.err = err.str();
  return parsed;
}

TEST(CommandLine, AcceptedForms) {
  const struct {
    const char* line;
    Command command;
    const char* probe;
    int trace, verbosity;
    bool json, quiet, sim;
  // clang-format off: one case a line
  } cases[] = {
      {"--sim list", Command::List, "", 0, 0, false, false, true},
      {"list --sim", Command::List, "", 0, 0, false, false, true},
      {"--probe=KST1 info", Command::Info, "KST1", 0, 0, false, false, false},
      {"--probe KST1 info", Command::Info, "KST1", 0, 0, false, false, false},
      {"info -p 1-4.2", Command::Info, "1-4.2", 0, 0, false, false, false},
      {"--serial KST1 jtag detect", Command::JtagDetect, "KST1", 0, 0, false, false, false},
      {"jtag detect --json", Command::JtagDetect, "", 0, 0, true, false, false},
      {"--json list -q", Command::List, "", 0, 0, true, true, false},
      {"-v list -v", Command::List, "", 0, 2, false, false, false},
      {"info -vv", Command::Info, "", 0, 2, false, false, false},
      {"--trace info", Command::Info, "", 3, 0, false, false, false},
      {"info --trace=0x6", Command::Info, "", 6, 0, false, false, false},
      {"--trace-file t.log info", Command::Info, "", 3, 0, false, false, false},
      {"--trace-file=t.log --trace=1 info", Command::Info, "", 1, 0, false, false, false},
      {"info --", Command::Info, "", 0, 0, false, false, false},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const Parsed parsed = parse(c.line);
    ASSERT_EQ(parsed.status, tool::kRunCommand) << parsed.err;
    EXPECT_EQ(parsed.err, "");
    EXPECT_EQ(parsed.options.command, c.command);
    EXPECT_EQ(parsed.options.probe, c.probe);
    EXPECT_EQ(parsed.options.traceLevel, c.trace);
    EXPECT_EQ(parsed.options.verbosity, c.verbosity);
    EXPECT_EQ(parsed.options.json, c.json);
    EXPECT_EQ(parsed.options.quiet, c.quiet);
    EXPECT_EQ(parsed.options.sim, c.sim);
  }
}

// Help and the version on standard output; a refused line says precisely why, in a line
// and where help is, on standard error.
TEST(CommandLine, HelpAndRefusalsAreShortAndGoWhereTheyBelong) {
  const struct {
    const char* line;
    const char* says;
    int status = tool::kExitUsage;
  // clang-format off: one case a line
  } cases[] = {
      {"--help", "Exit status:\n  0   success\n  64", tool::kExitOk},
      {"help", "Usage: kestrel [OPTIONS] [SUBCOMMAND]", tool::kExitOk},
      {"jtag --help", "Usage: kestrel jtag [OPTIONS] [SUBCOMMAND]", tool::kExitOk},
      {"jtag detect -h", "--json", tool::kExitOk},
      {"-V", "kestrel 1.0.0\nlibjsckestrel 12.7.0.00130", tool::kExitOk},
      {"", "no command given (list, info, update, jtag detect, dap info, mem read, mem write or power info)\nRun 'kestrel --help'"},
      {"jtag", "jtag needs a subcommand: detect\nRun 'kestrel jtag --help'"},
      {"jtag DETECT", "unknown jtag subcommand 'DETECT'; did you mean 'detect'?\n"},
      {"lsit", "unknown command 'lsit'\n"},
      {"Info", "unknown command 'Info'; did you mean 'info'?"},
      {"info --jsn", "unknown option '--jsn' for info\nRun 'kestrel info --help'"},
      {"info --qu", "unknown option '--qu' for info; did you mean '--quiet'?"},
      {"info list", "unexpected argument 'list' for info"},
      {"--trace 6 info", "unknown command '6'"},
      {"--trace=7 info", "--trace takes a level from 1 to 6, not '7'"},
      {"--trace=0 info", "--trace takes a level from 1 to 6, not '0'"},
      {"--trace=3x info", "not '3x'"},
      {"info --probe", "--probe"},
      {"-q -v info", "--quiet and --verbose contradict each other"},
      {"-- info", "unexpected argument 'info' after '--'"},
      {"mem", "mem needs a subcommand: read or write"},
      {"mem read 0x2000g 4", "bad address '0x2000g'"},
      {"mem read 010 -1", "bad length '-1'"},
      {"mem write 18446744073709551616 f", "bad address"},
      {"mem write 0 f --ap 256", "--ap takes an access port number from 0 to 255"},
      {"mem read 0", "LEN is required"},
      {"--firmware 3.0.0.28 update", "--firmware sets the virtual probe's firmware; add --sim"},
      {"--sim --firmware 3.0.28 update", "four dotted numbers such as 3.0.0.28, not '3.0.28'"},
      {"--sim --firmware 3.0.0.100 info", "not '3.0.0.100'"},
      {"--sim --firmware 3.0.0.2g info", "not '3.0.0.2g'"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const Parsed parsed = parse(c.line);
    EXPECT_EQ(parsed.status, c.status);
    const bool help = c.status == tool::kExitOk;
    EXPECT_EQ(help ? parsed.err : parsed.out, "");
    const std::string& shown = help ? parsed.out : parsed.err;
    EXPECT_NE(shown.find(c.says), std::string::npos) << shown;
    if (help) continue;
    EXPECT_EQ(parsed.err.rfind("kestrel: ", 0), 0u) << parsed.err;
    EXPECT_LE(std::count(parsed.err.begin(), parsed.err.end(), '\n'), 2) << "no whole usage";
  }
}

TEST(CommandLine, KestrelProbeStandsInForAMissingProbeOption) {
  kstest::setEnvironment("KESTREL_PROBE", "KST7");
  const Parsed fromEnvironment = parse("info");
  const Parsed fromOption = parse("--probe 1-2 info");
  kstest::setEnvironment("KESTREL_PROBE", nullptr);
  EXPECT_EQ(fromEnvironment.options.probe, "KST7");
  EXPECT_EQ(fromOption.options.probe, "1-2");
}

// (Signs, stray digits and numbers past 2^64 are refused forms above.)
TEST(CommandLine, NumbersAreDecimalOrHexadecimal) {
  const struct {
    const char* text;
    uint64_t max;
    bool ok;
    uint64_t value;
  } cases[] = {
      {"0x2A", 100, true, 42},
      {"0X2a", 100, true, 42},
      {"010", 100, true, 10},
      {"100", 100, true, 100},
      {"101", 100, false, 0},
      {"0x", 100, false, 0},
      {"", 100, false, 0},
      {" 1", 100, false, 0},
      {"18446744073709551615", UINT64_MAX, true, UINT64_MAX},
  };
  for (const auto& c : cases) {
    uint64_t value = 0;
    EXPECT_EQ(tool::parseNumber(c.text, c.max, value), c.ok) << c.text;
    EXPECT_EQ(c.ok ? value : 0, c.value) << c.text;
  }
}

}  // namespace
