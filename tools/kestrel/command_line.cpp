#include "command_line.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "clock_option.h"
#include "console.h"
#include "exit_status.h"
#include "firmware_version.h"
#include "image/image.h"
#include "number.h"
#include "version_text.h"

namespace tool {
namespace {

// Command lines and their results; records of the probe's log only for failed commands.
constexpr int kDefaultTraceLevel = 3;
constexpr int kMaxTraceLevel = 6;

const char kFooter[] =
    "Choosing a probe (--probe, or KESTREL_PROBE in the environment): a serial number, a\n"
    "USB id such as 1209:4b01 or 1209:4b01:SERIAL, a bus path such as 1-4.2, an index into\n"
    "`kestrel list`, or a unique prefix of a serial number. With several probes attached and\n"
    "none chosen, kestrel lists them and asks.\n"
    "\n"
    "Exit status:\n"
    "  0   success\n"
    "  64  the command line or the probe choice is wrong (usage)\n"
    "  65  an input file is too large\n"
    "  66  an input file is missing, unreadable or not a file\n"
    "  69  no probe found, or libusb, the virtual probe or the logger is missing\n"
    "  70  internal error of kestrel\n"
    "  74  the probe, a file or standard output failed (I/O)\n"
    "  75  another program holds the probe (busy)\n"
    "  77  the probe is there but this user may not open it (see the udev rule in the README)\n"
    "  78  the --config file is wrong\n";

const char kSubcommandFooter[] = "Probe choice and exit statuses: kestrel --help";

struct Parsing {
  CLI::App app{"kestrel: list, choose and use Kestrel USB debug probes.", "kestrel"};
  std::string trace;        // --trace[=N] as given
  bool traceGiven = false;  // --trace or --trace-file
  std::string firmware;     // --firmware as given
  std::string clock;        // --clock as given
  std::vector<CLI::App*> leaves;
};

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A name the user probably meant: the same but for case, or the only one the word begins.
std::string suggestion(const std::string& word, const std::vector<std::string>& names) {
  std::string found;
  for (const std::string& name : names) {
    if (lower(name) == lower(word)) return name;
    if (word.size() >= 2 && lower(name).rfind(lower(word), 0) == 0)
      found = found.empty() ? name : "\n";  // two candidates: no suggestion
  }
  return found == "\n" ? std::string() : found;
}

// Options every subcommand takes, before or after its name.
void addCommonOptions(CLI::App& app, Options& options, Parsing& parsing) {
  app.add_option("-p,--probe,--serial", options.probe,
                 "serial, USB id, bus path, list index or serial prefix (default: KESTREL_PROBE)")
      ->type_name("SELECTOR")
      ->group("Probe");
  app.add_flag("--sim", options.sim, "use the virtual probe instead of the USB bus")
      ->group("Probe");
  app.add_option("--firmware", parsing.firmware,
                 "with --sim: the virtual probe's firmware version (3.0.0.28 is outdated)")
      ->type_name("VERSION")
      ->group("Probe");
  app.add_option("--clock", parsing.clock,
                 "the test clock to ask for, in Hz with k or M (1M, 12.5M, 500k); the probe "
                 "runs the nearest step it has, and says so")
      ->type_name("HZ")
      ->group("Probe");
  app.add_flag("--json", options.json, "print one JSON document and nothing else on stdout")
      ->group("Output");
  app.add_flag("-q,--quiet", options.quiet, "print errors only")->group("Output");
  app.add_flag_function(
         "-v,--verbose",
         [&options](int64_t count) { options.verbosity += static_cast<int>(count); },
         "more detail (repeat for more)")
      ->group("Output");
  // A flag with an optional value (--trace or --trace=N, never --trace N): a level read from
  // the next word would swallow the subcommand in `kestrel --trace info`.
  app.add_flag("--trace", parsing.trace,
               "trace every command through the logger at level N (1-6, default 3)")
      ->type_name("[=N]")
      ->group("Tracing")
      ->each([&parsing](const std::string&) { parsing.traceGiven = true; });
  app.add_option("--trace-file", options.traceFile,
                 "write the trace to FILE instead of standard error (implies --trace)")
      ->type_name("FILE")
      ->group("Tracing")
      ->each([&parsing](const std::string&) { parsing.traceGiven = true; });
  app.add_option("--config", options.config,
                 "run as a LOOM framework session configured by FILE (KEY=value lines)")
      ->type_name("FILE")
      ->group("Probe");
  app.add_option("--capture", options.capture,
                 "write the virtual probe's USB traffic to FILE as a pcap file (Wireshark, "
                 "tshark)")
      ->type_name("FILE")
      ->group("Tracing");
}

CLI::App* leaf(Parsing& parsing, CLI::App& parent, const char* name, const char* description,
               Options& options) {
  CLI::App* command = parent.add_subcommand(name, description);
  command->footer(kSubcommandFooter);
  addCommonOptions(*command, options, parsing);
  parsing.leaves.push_back(command);
  return command;
}

// The deepest subcommand the user named, for error hints.
CLI::App* selected(CLI::App& app) {
  CLI::App* current = &app;
  for (;;) {
    auto subcommands = current->get_subcommands();
    if (subcommands.empty()) return current;
    current = subcommands.front();
  }
}

// "jtag detect" for the detect subcommand; empty for the program itself.
std::string commandPath(const CLI::App* app) {
  std::string text;
  for (; app != nullptr && app->get_parent() != nullptr; app = app->get_parent())
    text = app->get_name() + (text.empty() ? "" : " " + text);
  return text;
}

std::string didYouMean(const std::string& meant) {
  return meant.empty() ? std::string() : "; did you mean '" + meant + "'?";
}

int refuse(std::ostream& err, const CLI::App* where, const std::string& message) {
  const std::string command = commandPath(where);
  err << "kestrel: " << message << "\nRun 'kestrel " << command << (command.empty() ? "" : " ")
      << "--help' for usage.\n";
  return kExitUsage;
}

std::vector<std::string> subcommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    if (!sub->get_group().empty()) names.push_back(sub->get_name());
  return names;
}

// The first word no subcommand or option took, as a precise complaint.
int refuseExtra(std::ostream& err, const CLI::App& where, const std::string& word) {
  const std::string context =
      where.get_parent() == nullptr ? std::string() : " for " + commandPath(&where);
  if (word.size() > 1 && word[0] == '-') {
    std::vector<std::string> names;
    for (const CLI::Option* option : where.get_options())
      for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    const std::string meant = suggestion(word.substr(0, word.find('=')), names);
    return refuse(err, &where, "unknown option '" + word + "'" + context + didYouMean(meant));
  }
  const std::vector<std::string> names = subcommandNames(where);
  if (names.empty()) return refuse(err, &where, "unexpected argument '" + word + "'" + context);
  const std::string meant = suggestion(word, names);
  const std::string kind =
      where.get_parent() == nullptr ? "command" : where.get_name() + " subcommand";
  return refuse(err, &where, "unknown " + kind + " '" + word + "'" + didYouMean(meant));
}

bool readTraceLevel(Parsing& parsing, Options& options, std::string& error) {
  if (!parsing.traceGiven) return true;
  if (parsing.trace.empty() || parsing.trace == "true") {  // bare --trace
    options.traceLevel = kDefaultTraceLevel;
    return true;
  }
  uint64_t level = 0;
  if (!parseNumber(parsing.trace, kMaxTraceLevel, level) || level == 0) {
    error = "--trace takes a level from 1 to 6, not '" + parsing.trace + "'";
    return false;
  }
  options.traceLevel = static_cast<int>(level);
  return true;
}

// The numbers of mem read and mem write as typed, read once the line is parsed.
struct MemoryWords {
  std::string address, length, accessPort = "0";
};

// Transfers the tool holds in memory at once.
constexpr uint64_t kMaxTransfer = uint64_t{1} << 30;
constexpr uint64_t kMaxAccessPort = 255;

bool readMemoryWords(const MemoryWords& words, bool withLength, Options& options,
                     std::string& error) {
  if (!parseNumber(words.address, UINT64_MAX, options.address)) {
    error = "bad address '" + words.address + "' (decimal, or hexadecimal after 0x)";
    return false;
  }
  if (withLength && !parseNumber(words.length, kMaxTransfer, options.length)) {
    error = "bad length '" + words.length + "' (decimal or 0x hexadecimal, at most 1 GiB)";
    return false;
  }
  uint64_t accessPort = 0;
  if (!parseNumber(words.accessPort, kMaxAccessPort, accessPort)) {
    error = "--ap takes an access port number from 0 to 255, not '" + words.accessPort + "'";
    return false;
  }
  options.accessPort = static_cast<uint8_t>(accessPort);
  return true;
}

}  // namespace

bool jsonAsked(int argc, const char* const* argv) {
  for (int i = 1; i < argc && std::string(argv[i]) != "--"; ++i)
    if (std::string(argv[i]) == "--json") return true;
  return false;
}

std::string unrunDocument(int status, const std::string& out, const std::string& err) {
  nlohmann::json document = {{"schema_version", kJsonSchemaVersion}, {"exit_status", status}};
  if (status == kExitOk) {
    document["text"] = out;
  } else {
    const std::string prefix = "kestrel: ";
    std::string line = err.substr(0, err.find('\n'));
    if (line.rfind(prefix, 0) == 0) line.erase(0, prefix.size());
    document["error"] = line;
  }
  return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

int parseCommandLine(int argc, const char* const* argv, Options& options, std::ostream& out,
                     std::ostream& err) {
  Parsing parsing;
  CLI::App& app = parsing.app;
  app.allow_extras();  // unknown words are refused below, with a precise message
  app.require_subcommand(0, 1);
  app.set_version_flag("-V,--version", versionText, "show the versions of kestrel and the library");
  app.footer(kFooter);
  addCommonOptions(app, options, parsing);

  CLI::App* list =
      leaf(parsing, app, "list", "list every Kestrel probe and bootloader on the bus", options);
  CLI::App* info = leaf(parsing, app, "info",
                        "show the probe's identity, firmware and hardware, and run the echo "
                        "self-test",
                        options);
  CLI::App* jtag = app.add_subcommand("jtag", "JTAG scan-chain commands");
  jtag->footer(kSubcommandFooter);
  jtag->require_subcommand(0, 1);
  CLI::App* detect = leaf(parsing, *jtag, "detect",
                          "reset the scan chain and list its TAPs (IDCODE, IR length)", options);
  CLI::App* dap = app.add_subcommand("dap", "ARM debug-port commands");
  dap->footer(kSubcommandFooter);
  dap->require_subcommand(0, 1);
  CLI::App* dapInfo =
      leaf(parsing, *dap, "info", "the debug port's IDCODE and its access ports", options);
  CLI::App* mem = app.add_subcommand("mem", "target memory through a MEM-AP");
  mem->footer(kSubcommandFooter);
  mem->require_subcommand(0, 1);
  MemoryWords words;
  CLI::App* memRead =
      leaf(parsing, *mem, "read", "read target memory: a hexdump, or --out FILE", options);
  memRead->add_option("ADDR", words.address, "start address (decimal or 0x hexadecimal)")
      ->required();
  memRead->add_option("LEN", words.length, "byte count")->required();
  memRead->add_option("--out", options.file, "write the bytes to FILE")->type_name("FILE");
  memRead
      ->add_option("--format", options.format,
                   "with --out: raw bytes (default), Intel HEX or S-records")
      ->type_name("bin|ihex|srec");
  std::string width = "1";
  memRead->add_option("-w,--width", width, "the hexdump's words: 1, 2, 4 or 8 bytes, little-endian")
      ->type_name("N");
  CLI::App* memWrite = leaf(parsing, *mem, "write",
                            "write a file into target memory; --verify reads it back", options);
  std::vector<std::string> writeWords;
  memWrite
      ->add_option("[ADDR] FILE", writeWords,
                   "an ELF, Intel HEX or S-record image, or ADDR and a raw binary to write there")
      ->type_name("")
      ->expected(1, 2)
      ->required();
  memWrite
      ->add_option("--format", options.format,
                   "the image's format, instead of the one its content shows")
      ->type_name("elf|ihex|srec|bin");
  memWrite->add_flag("--verify", options.verify, "read back and name the first difference");
  for (CLI::App* transfer : {memRead, memWrite})
    transfer->add_option("--ap", words.accessPort, "the MEM-AP to use (default 0)")->type_name("N");
  CLI::App* power = app.add_subcommand("power", "the power-measurement unit");
  power->footer(kSubcommandFooter);
  power->require_subcommand(0, 1);
  CLI::App* powerInfo =
      leaf(parsing, *power, "info", "the unit's hardware information and DC-DC controller version",
           options);
  CLI::App* update = leaf(parsing, app, "update",
                          "replace the probe's firmware with the image installed beside the "
                          "library, if the firmware is outdated",
                          options);
  update->add_flag("--force", options.force, "update a probe whose firmware is current too");
  update
      ->add_option("--image", options.image,
                   "download FILE instead (checked first; the installed image stays as it is)")
      ->type_name("FILE");
  CLI::App* help = app.add_subcommand("help", "show this help")->group("");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& success) {
    return app.exit(success, out, err);
  } catch (const CLI::ParseError& error) {
    return refuse(err, selected(app), error.what());
  }

  CLI::App* where = selected(app);
  if (where == help) {
    out << app.get_formatter()->make_help(&app, "kestrel", CLI::AppFormatMode::Normal);
    return kExitOk;
  }
  // Words after "--" are never commands or options, and no command takes other words yet.
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--")
      return refuse(err, where,
                    "unexpected argument '" + std::string(argv[i + 1]) + "' after '--'");
  for (CLI::App* candidate : {&app, jtag, list, info, detect, dap, dapInfo, mem, memRead, memWrite,
                              power, powerInfo, update}) {
    const std::vector<std::string> extras = candidate->remaining();
    if (!extras.empty()) return refuseExtra(err, *candidate, extras.front());
  }
  if (where == &app)
    return refuse(err, &app,
                  "no command given (list, info, update, jtag detect, dap info, mem read, mem "
                  "write or power info)");
  if (where == jtag) return refuse(err, jtag, "jtag needs a subcommand: detect");
  if (where == dap) return refuse(err, dap, "dap needs a subcommand: info");
  if (where == mem) return refuse(err, mem, "mem needs a subcommand: read or write");
  if (where == power) return refuse(err, power, "power needs a subcommand: info");

  std::string error;
  if (!readTraceLevel(parsing, options, error)) return refuse(err, where, error);
  if (options.quiet && options.verbosity > 0)
    return refuse(err, where, "--quiet and --verbose contradict each other");
  if (!parsing.firmware.empty() && !options.sim)
    return refuse(err, where, "--firmware sets the virtual probe's firmware; add --sim");
  if (!parsing.firmware.empty() && !parseFirmwareVersion(parsing.firmware, options.simFirmware))
    return refuse(
        err, where,
        "--firmware takes four dotted numbers such as 3.0.0.28, not '" + parsing.firmware + "'");
  if (options.probe.empty()) {
    const char* environment = std::getenv("KESTREL_PROBE");
    if (environment != nullptr) options.probe = environment;
    options.probeFromEnvironment = environment != nullptr;
  }
  if (!parsing.clock.empty() && !parseClock(parsing.clock, options.clockHertz))
    return refuse(
        err, where,
        "--clock takes a frequency from 100k to 100M (hertz) such as 1M, 12.5M or 500k, not "
        "'" +
            parsing.clock + "'");
  if (!parsing.clock.empty() && (where == list || where == update))
    return refuse(err, where,
                  "--clock is for commands that use the target, not " + commandPath(where));
  if ((where == list || where == powerInfo) && !options.config.empty())
    return refuse(err, where,
                  "--config is for info, jtag detect, dap info and mem, not " + commandPath(where));
  ImageFormat format = ImageFormat::Unknown;
  if (!options.format.empty() && !parseFormatName(options.format, format))
    return refuse(err, where,
                  "--format takes elf, ihex, srec or bin, not '" + options.format + "'");
  if (where == memRead) {
    if (!options.format.empty() && options.file.empty())
      return refuse(err, where, "--format is for --out FILE; the terminal gets a hexdump");
    if (format == ImageFormat::Elf)
      return refuse(err, where, "mem read writes bin, ihex or srec, not elf");
    if (width != "1" && width != "2" && width != "4" && width != "8")
      return refuse(err, where, "-w takes a word width of 1, 2, 4 or 8 bytes, not '" + width + "'");
    options.wordWidth = static_cast<unsigned>(std::stoul(width));
  }
  if (where == memWrite) {
    options.file = writeWords.back();
    options.addressGiven = writeWords.size() == 2;
    words.address = options.addressGiven ? writeWords.front() : "0";
    if (options.addressGiven && !options.format.empty() && options.format != "bin")
      return refuse(err, where,
                    "an " + options.format + " image carries its own addresses; give no ADDR");
    if (!options.addressGiven && options.format == "bin")
      return refuse(err, where, "a raw binary needs its address: mem write ADDR FILE");
  }
  if ((where == memRead || where == memWrite) &&
      !readMemoryWords(words, where == memRead, options, error))
    return refuse(err, where, error);
  options.command = where == list        ? Command::List
                    : where == info      ? Command::Info
                    : where == dapInfo   ? Command::DapInfo
                    : where == memRead   ? Command::MemRead
                    : where == memWrite  ? Command::MemWrite
                    : where == powerInfo ? Command::PowerInfo
                    : where == update    ? Command::Update
                                         : Command::JtagDetect;
  return kRunCommand;
}

}  // namespace tool
