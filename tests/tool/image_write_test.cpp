// mem write FILE with ELF, Intel HEX and S-record images on the virtual probe: what lands in
// target memory, in how many write commands, and the refusal of every broken image before
// any traffic.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "kestrel/exit_status.h"
#include "kestrel_sim/sim.h"
#include "tool_runner.h"

namespace {

using Bytes = std::vector<uint8_t>;
using tooltest::kestrel;

struct Region {
  uint32_t address;
  Bytes bytes;
};

std::string hex(const Bytes& bytes) {
  std::string text;
  char cell[3];
  for (const uint8_t b : bytes) {
    std::snprintf(cell, sizeof cell, "%02X", b);
    text += cell;
  }
  return text;
}

std::string hexRecord(uint8_t type, uint16_t offset, const Bytes& data) {
  Bytes record = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(offset >> 8),
                  static_cast<uint8_t>(offset), type};
  record.insert(record.end(), data.begin(), data.end());
  uint8_t sum = 0;
  for (const uint8_t b : record) sum = static_cast<uint8_t>(sum + b);
  record.push_back(static_cast<uint8_t>(-sum));
  return ":" + hex(record) + "\n";
}

std::string sRecord(int type, uint32_t address, const Bytes& data) {
  const std::size_t width = type == 2 || type == 6 || type == 8 ? 3
                            : type == 3 || type == 7            ? 4
                                                                : 2;
  Bytes record = {static_cast<uint8_t>(width + data.size() + 1)};
  for (std::size_t i = width; i-- > 0;) record.push_back(static_cast<uint8_t>(address >> 8 * i));
  record.insert(record.end(), data.begin(), data.end());
  uint8_t sum = 0;
  for (const uint8_t b : record) sum = static_cast<uint8_t>(sum + b);
  record.push_back(static_cast<uint8_t>(~sum));
  return "S" + std::to_string(type) + hex(record) + "\n";
}

// The program in 16-byte records, as objcopy writes them.
std::string toHex(const std::vector<Region>& program) {
  std::string text;
  for (const Region& region : program) {
    text += hexRecord(
        4, 0,
        {static_cast<uint8_t>(region.address >> 24), static_cast<uint8_t>(region.address >> 16)});
    for (std::size_t i = 0; i < region.bytes.size(); i += 16)
      text += hexRecord(0, static_cast<uint16_t>(region.address + i),
                        Bytes(region.bytes.begin() + i,
                              region.bytes.begin() + std::min(i + 16, region.bytes.size())));
  }
  return text + hexRecord(1, 0, {});
}

std::string toSRecord(const std::vector<Region>& program) {
  std::string text = sRecord(0, 0, {'k', 's', 't'});
  int records = 0;
  for (const Region& region : program)
    for (std::size_t i = 0; i < region.bytes.size(); i += 16, ++records)
      text += sRecord(3, static_cast<uint32_t>(region.address + i),
                      Bytes(region.bytes.begin() + i,
                            region.bytes.begin() + std::min(i + 16, region.bytes.size())));
  return text + sRecord(5, static_cast<uint32_t>(records), {}) + sRecord(7, 0x20000000, {});
}

void put(Bytes& out, std::size_t at, uint64_t value, std::size_t width) {
  if (out.size() < at + width) out.resize(at + width);
  for (std::size_t i = 0; i < width; ++i) out[at + i] = static_cast<uint8_t>(value >> 8 * i);
}

// A little-endian ELF32 executable: one PT_LOAD a region, linked at another (virtual) address
// than it is loaded, with a .bss tail of bssBytes after the last; a PT_NOTE first.
Bytes toElf(const std::vector<Region>& program, uint32_t bssBytes = 64) {
  Bytes elf = {0x7F, 'E', 'L', 'F', 1, 1, 1};
  const std::size_t headers = program.size() + 1;
  put(elf, 16, 2, 2);   // ET_EXEC
  put(elf, 18, 40, 2);  // EM_ARM
  put(elf, 20, 1, 4);
  put(elf, 28, 52, 4);  // e_phoff
  put(elf, 40, 52, 2);
  put(elf, 42, 32, 2);
  put(elf, 44, headers, 2);
  std::size_t data = 52 + 32 * headers;
  put(elf, 52, 4, 4);  // PT_NOTE, pointing at the first segment's bytes
  put(elf, 52 + 4, data, 4);
  for (std::size_t i = 0; i < program.size(); ++i) {
    const std::size_t at = 52 + 32 * (i + 1);
    const uint32_t size = static_cast<uint32_t>(program[i].bytes.size());
    put(elf, at, 1, 4);
    put(elf, at + 4, data, 4);
    put(elf, at + 8, program[i].address + 0x10000000u, 4);  // p_vaddr
    put(elf, at + 12, program[i].address, 4);               // p_paddr
    put(elf, at + 16, size, 4);
    put(elf, at + 20, size + (i + 1 == program.size() ? bssBytes : 0), 4);
    elf.resize(data);
    elf.insert(elf.end(), program[i].bytes.begin(), program[i].bytes.end());
    data = elf.size();
  }
  return elf;
}

std::string file(const std::string& name, const std::string& content) {
  const std::string path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::string text(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

Bytes counting(std::size_t length, uint8_t seed) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

// The target's bytes at address, read back through the tool.
std::string memory(uint64_t address, std::size_t length) {
  const tooltest::Outcome run = kestrel(
      {"mem", "read", std::to_string(address).c_str(), std::to_string(length).c_str(), "--json"});
  return nlohmann::json::parse(run.out)["data"].get<std::string>();
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int writeCommands(ksim::DeviceId probe) {
  int count = 0;
  for (const Bytes& packet : ksim::commandPackets(probe))
    count += packet.size() > 3 && (packet[3] == 20 || packet[3] == 62);
  return count;
}

const std::vector<Region> kProgram = {{0x20000000, counting(300, 1)},
                                      {0x20001000, counting(40, 9)}};

// The same program from each format lands as the same bytes, the gap and the .bss tail
// untouched (unwritten memory reads 0xA5), each region in one write command; --verify agrees.
TEST(ImageWrite, TheSameProgramFromEachFormatWritesTheSameBytesAndVerifies) {
  const std::string images[] = {file("program.elf", text(toElf(kProgram))),
                                file("program.hex", toHex(kProgram)),
                                file("program.s19", toSRecord(kProgram))};
  for (const std::string& image : images) {
    SCOPED_TRACE(image);
    ksim::reset();
    const ksim::DeviceId probe = ksim::attachProbe({});
    const tooltest::Outcome run = kestrel({"mem", "write", image.c_str(), "--verify", "--json"});
    ASSERT_EQ(run.status, tool::kExitOk) << run.err;
    const nlohmann::json document = nlohmann::json::parse(run.out);
    EXPECT_EQ(document["verified"], true);
    EXPECT_EQ(document["length"], 340);
    EXPECT_EQ(writeCommands(probe), 2);
    for (const Region& region : kProgram)
      EXPECT_EQ(memory(region.address - 1, region.bytes.size() + 2),
                "a5" + lower(hex(region.bytes)) + "a5");
  }
}

// Good images of the forms the program above does not use, and broken ones: the regions
// written, or exit 65 with the reason and no traffic at all.
TEST(ImageWrite, GoodImagesLandWhereTheySayAndBrokenOnesAreRefused) {
  const Bytes four = {1, 2, 3, 4};
  const std::string hexEnd = hexRecord(1, 0, {});
  Bytes elfPastEnd = toElf({{0x20000000, four}});
  elfPastEnd.resize(elfPastEnd.size() - 1);
  Bytes elfFatFile = toElf({{0x20000000, four}});
  put(elfFatFile, 52 + 32 + 20, 2, 4);  // p_memsz below p_filesz
  Bytes elfTableOutside = toElf({{0x20000000, four}});
  put(elfTableOutside, 44, 200, 2);
  Bytes elf64Wraps = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  put(elf64Wraps, 32, 64, 8);
  put(elf64Wraps, 54, 56, 2);
  put(elf64Wraps, 56, 1, 2);
  put(elf64Wraps, 64, 1, 4);
  put(elf64Wraps, 64 + 8, 0, 8);
  put(elf64Wraps, 64 + 24, 0xFFFFFFFFFFFFFFF0u, 8);
  put(elf64Wraps, 64 + 32, 32, 8);
  put(elf64Wraps, 64 + 40, 32, 8);
  put(elf64Wraps, 64 + 48, 4, 8);
  std::string scattered;  // one region more than an image may have
  for (uint16_t i = 0; i <= 4096; ++i) scattered += hexRecord(0, static_cast<uint16_t>(2 * i), {1});
  const struct {
    const char* name;
    std::string content;
    std::vector<const char*> extra;  // more words on the command line
    int status;
    const char* says;  // the refusal, or in the good rows the 8 bytes from at - 4
    uint64_t at = 0;
  // clang-format off: one case a line
  } cases[] = {
      {"HEX with a segment address", hexRecord(2, 0, {0x20, 0x00}) + hexRecord(0, 4, four) + hexEnd, {}, 0, "a5a5a5a501020304", 0x20004},
      {"HEX records out of order join", hexRecord(4, 0, {0x20, 0}) + hexRecord(0, 6, {5, 6}) + hexRecord(0, 4, {3, 4}) + hexRecord(5, 0, {0, 0, 0, 1}) + hexEnd, {}, 0, "a5a5a5a503040506", 0x20000004},
      {"S-record with S1, S2 and S9", sRecord(2, 0x200000, {9}) + sRecord(1, 0, {}) + sRecord(9, 0, {}), {"--format", "srec"}, 0, "a5a5a5a509a5a5a5", 0x200000},
      {"HEX checksum", ":0400040001020304F1\n" + hexEnd, {}, tool::kExitDataErr, "line 1 has a wrong checksum"},
      {"HEX length", ":0500040001020304F1\n", {}, tool::kExitDataErr, "holds 4 data bytes, its length says 5"},
      {"HEX type 06", hexRecord(6, 0, {}) + hexEnd, {}, tool::kExitDataErr, "unknown record type 6"},
      {"HEX without its end", hexRecord(0, 0, four), {}, tool::kExitDataErr, "ends without an end-of-file record"},
      {"HEX after its end", hexEnd + hexRecord(0, 0, four), {}, tool::kExitDataErr, "line 2 follows the end-of-file record"},
      {"HEX not hex", ":04000400010203G4F1\n", {}, tool::kExitDataErr, "not a hexadecimal digit"},
      {"HEX past its segment", hexRecord(0, 0xFFFE, four) + hexEnd, {}, tool::kExitDataErr, "runs past the end of its 64 KiB segment"},
      {"HEX overlapping records", hexRecord(0, 0, four) + hexRecord(0, 2, four) + hexEnd, {}, tool::kExitDataErr, "writes 0x2 twice"},
      {"HEX address record too long", hexRecord(4, 0, four) + hexEnd, {}, tool::kExitDataErr, "a type 4 record holds 2 bytes, not 4"},
      {"S-record checksum", "S1070000010203040F\n" + sRecord(9, 0, {}), {}, tool::kExitDataErr, "line 1 has a wrong checksum"},
      {"S4", sRecord(1, 0, four) + "S4030000FC\n", {}, tool::kExitDataErr, "an S4 record"},
      {"S-record count", sRecord(1, 0, four) + sRecord(5, 2, {}) + sRecord(9, 0, {}), {}, tool::kExitDataErr, "counts 2 data records; the file has 1"},
      {"S-record byte count", "S10A0000010203040F\n", {}, tool::kExitDataErr, "byte count does not match"},
      {"S-record without its end", sRecord(1, 0, four), {}, tool::kExitDataErr, "ends without a termination record"},
      {"HEX in too many regions", scattered + hexEnd, {}, tool::kExitDataErr, "line 4097: has more than 4096 separate regions"},
      {"ELF header cut", text(toElf(kProgram)).substr(0, 40), {}, tool::kExitDataErr, "too short for an ELF header"},
      {"ELF segment past the file", text(elfPastEnd), {}, tool::kExitDataErr, "segment 1 runs past the end of the file"},
      {"ELF file bytes above memory size", text(elfFatFile), {}, tool::kExitDataErr, "more bytes in the file than in memory"},
      {"ELF headers outside", text(elfTableOutside), {}, tool::kExitDataErr, "program headers outside the file"},
      {"ELF64 segment wraps past 2^64", text(elf64Wraps), {}, tool::kExitDataErr, "0xFFFFFFFFFFFFFFF0 + 32 bytes runs past the end"},
      {"no image at all", "hello\n", {}, tool::kExitDataErr, "is not an ELF, Intel HEX or S-record image; a raw binary needs its address"},
      {"--format against the content", toHex(kProgram), {"--format", "srec"}, tool::kExitDataErr, "(srec) line 1 is not an S-record"},
      {"--format bin without ADDR", toHex(kProgram), {"--format", "bin"}, tool::kExitUsage, "a raw binary needs its address"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    const ksim::DeviceId probe = ksim::attachProbe({});
    const std::string path = file("case.img", c.content);
    std::vector<const char*> words = {"mem", "write", path.c_str()};
    words.insert(words.end(), c.extra.begin(), c.extra.end());
    const tooltest::Outcome run = kestrel(words);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status == 0) {
      EXPECT_EQ(memory(c.at - 4, 8), c.says);
      continue;
    }
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_TRUE(ksim::commandPackets(probe).empty());
  }
}

}  // namespace

namespace {

// A read written as Intel HEX or S-records, across a 64 KiB boundary, writes the same bytes
// back on another probe; the terminal's hexdump shows little-endian words.
TEST(ImageRead, ReadsInEachFormatWriteBackTheSameBytes) {
  const Bytes bytes = counting(40, 3);
  const std::string raw = file("raw.bin", text(bytes));
  const std::string at = "0x2000FFF8";
  for (const char* format : {"ihex", "srec"}) {
    SCOPED_TRACE(format);
    const std::string out = testing::TempDir() + "read." + format;
    ksim::reset();
    ksim::attachProbe({});
    ASSERT_EQ(kestrel({"mem", "write", at.c_str(), raw.c_str()}).status, 0);
    const tooltest::Outcome read =
        kestrel({"mem", "read", at.c_str(), "40", "--out", out.c_str(), "--format", format});
    ASSERT_EQ(read.status, 0) << read.err;
    ksim::reset();
    ksim::attachProbe({});
    const tooltest::Outcome written = kestrel({"mem", "write", out.c_str(), "--verify"});
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(memory(0x2000FFF7, 42), "a5" + lower(hex(bytes)) + "a5");
  }
  ksim::reset();
  ksim::attachProbe({});
  ASSERT_EQ(kestrel({"mem", "write", "0x20000000", raw.c_str()}).status, 0);
  const struct {
    const char* width;
    const char* line;  // the first line of the dump
  // clang-format off: one case a line
  } cases[] = {
      {"1", "20000000  03 0A 11 18 1F 26 2D 34 3B 42 49 50 57 5E 65 6C  |.....&-4;BIPW^el|\n"},
      {"4", "20000000  18110A03 342D261F 5049423B 6C655E57  |.....&-4;BIPW^el|\n"},
      {"8", "20000000  342D261F18110A03 6C655E575049423B  |.....&-4;BIPW^el|\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const tooltest::Outcome run = kestrel({"mem", "read", "0x20000000", "40", "-w", c.width});
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), c.line) << c.width;
  }
  EXPECT_EQ(kestrel({"mem", "read", "0x20000000", "40", "-w", "3"}).status, tool::kExitUsage);
  EXPECT_EQ(kestrel({"mem", "read", "0x1FFFFFFFF", "2", "--ap", "1", "--out", raw.c_str(),
                     "--format", "ihex"})
                .status,
            tool::kExitUsage);
}

}  // namespace
