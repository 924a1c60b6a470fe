// mem write FILE with ELF, Intel HEX and S-record images on the virtual probe: what lands in
// target memory, in how many write commands, and the refusal of every broken image before
// any traffic; and mem read into those formats and as a hexdump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tool_runner.h"

namespace {

using namespace tooltest;

struct Region {
  uint32_t address;
  std::string bytes;
};

// In lower case, as the tool's JSON shows bytes (and as the readers take records too).
std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (const char b : bytes) text += {digits[(b >> 4) & 15], digits[b & 15]};
  return text;
}

// The record's bytes and their checksum in hexadecimal: the sum's two's complement (Intel
// HEX) or its ones' complement (S-records).
std::string withSum(std::string record, bool onesComplement) {
  uint8_t sum = 0;
  for (const char b : record) sum = static_cast<uint8_t>(sum + b);
  record += static_cast<char>(onesComplement ? ~sum : -sum);
  return hex(record);
}

std::string hexRecord(uint8_t type, uint16_t offset, const std::string& data) {
  const std::string head = {static_cast<char>(data.size()), static_cast<char>(offset >> 8),
                            static_cast<char>(offset), static_cast<char>(type)};
  return ":" + withSum(head + data, false) + "\n";
}

std::string sRecord(int type, uint32_t address, const std::string& data) {
  const std::size_t width = type == 2 || type == 6 || type == 8 ? 3
                            : type == 3 || type == 7            ? 4
                                                                : 2;
  std::string record(1, static_cast<char>(width + data.size() + 1));
  for (std::size_t i = width; i-- > 0;) record += static_cast<char>(address >> 8 * i);
  return "S" + std::to_string(type) + withSum(record + data, true) + "\n";
}

void put(std::string& out, std::size_t at, uint64_t value, std::size_t width) {
  if (out.size() < at + width) out.resize(at + width);
  for (std::size_t i = 0; i < width; ++i) out[at + i] = static_cast<char>(value >> 8 * i);
}

// A little-endian ELF32 executable: one PT_LOAD a region, linked at another (virtual) address
// than it is loaded, with a .bss tail of 64 bytes after the last; a PT_NOTE first.
std::string toElf(const std::vector<Region>& program) {
  std::string elf = "\x7F" "ELF\x01\x01\x01";
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
    put(elf, at + 20, size + (i + 1 == program.size() ? 64 : 0), 4);
    elf.resize(data);
    elf += program[i].bytes;
    data = elf.size();
  }
  return elf;
}

std::string counting(std::size_t length, uint8_t seed) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(seed + i * 7);
  return bytes;
}

// The target's bytes at address, read back through the tool, in lower-case hexadecimal.
std::string memory(uint64_t address, std::size_t length) {
  const Outcome run = kestrel(
      {"mem", "read", std::to_string(address).c_str(), std::to_string(length).c_str(), "--json"});
  return run.document()["data"].get<std::string>();
}

// What memory(address - 1, bytes + 2) reads after the bytes were written to fresh memory
// (which reads 0xA5).
std::string landed(const std::string& bytes) { return "a5" + hex(bytes) + "a5"; }

const std::vector<Region> kProgram = {{0x20000000, counting(300, 1)},
                                      {0x20001000, counting(40, 9)}};

// An ELF program lands at its segments' physical addresses, the gap and the .bss tail
// untouched, each segment in one write command; --verify agrees.
TEST(ImageWrite, AnElfProgramLandsAtItsLoadAddressesAndVerifies) {
  const std::string image = file("program.elf", toElf(kProgram));
  const ksim::DeviceId probe = onlyProbe({});
  const Outcome run = kestrel({"mem", "write", image.c_str(), "--verify", "--json"});
  ASSERT_EQ(run.status, tool::kExitOk) << run.err;
  EXPECT_EQ(run.document()["verified"], true);
  EXPECT_EQ(run.document()["length"], 340);
  EXPECT_EQ(commandsSent(probe, {20, 62}), 2);
  for (const Region& region : kProgram)
    EXPECT_EQ(memory(region.address - 1, region.bytes.size() + 2), landed(region.bytes));
}

// Good images of the forms the program above does not use, and broken ones: the regions
// written, or exit 65 with the reason and no traffic at all.
TEST(ImageWrite, GoodImagesLandWhereTheySayAndBrokenOnesAreRefused) {
  const std::string four = "\x01\x02\x03\x04", hexEnd = hexRecord(1, 0, "");
  std::string elfPastEnd = toElf({{0x20000000, four}});
  elfPastEnd.pop_back();
  std::string elfFatFile = toElf({{0x20000000, four}});
  put(elfFatFile, 52 + 32 + 20, 2, 4);  // p_memsz below p_filesz
  std::string elfTableOutside = toElf({{0x20000000, four}});
  put(elfTableOutside, 44, 200, 2);
  // ELF64: the program headers at 64, 56 bytes each, one PT_LOAD at 2^64 - 16 of 32 bytes.
  std::string elf64Wraps = "\x7F" "ELF\x02\x01\x01";
  const uint64_t fields[][3] = {{32, 64, 8}, {54, 56, 2},  {56, 1, 2},  {64, 1, 4},
                                {72, 0, 8},  {88, ~uint64_t{15}, 8}, {96, 32, 8}, {104, 32, 8},
                                {112, 4, 8}};
  for (const auto& field : fields) put(elf64Wraps, field[0], field[1], field[2]);
  std::string scattered;  // one region more than an image may have
  for (uint16_t i = 0; i <= 4096; ++i)
    scattered += hexRecord(0, static_cast<uint16_t>(2 * i), "\x01");
  const struct {
    std::string content;
    std::vector<const char*> extra;  // more words on the command line
    int status;
    const char* says;  // the refusal, or in the good rows the 8 bytes from at - 4
    uint64_t at = 0;
  // clang-format off: one case a line
  } cases[] = {
      {hexRecord(2, 0, {0x20, 0x00}) + hexRecord(0, 4, four) + hexEnd, {}, 0, "a5a5a5a501020304", 0x20004},  // segment address
      {hexRecord(4, 0, {0x20, 0}) + hexRecord(0, 6, {5, 6}) + hexRecord(0, 4, {3, 4}) + hexRecord(5, 0, {0, 0, 0, 1}) + hexEnd, {}, 0, "a5a5a5a503040506", 0x20000004},  // out of order, joined
      {sRecord(2, 0x200000, {9}) + sRecord(1, 0, "") + sRecord(9, 0, ""), {"--format", "srec"}, 0, "a5a5a5a509a5a5a5", 0x200000},
      {sRecord(0, 0, "kst") + sRecord(3, 0x20000004, four) + sRecord(5, 1, "") + sRecord(7, 0, ""), {}, 0, "a5a5a5a501020304", 0x20000004},
      {":0400040001020304F1\n" + hexEnd, {}, tool::kExitDataErr, "line 1 has a wrong checksum"},
      {":0500040001020304F1\n", {}, tool::kExitDataErr, "holds 4 data bytes, its length says 5"},
      {hexRecord(6, 0, "") + hexEnd, {}, tool::kExitDataErr, "unknown record type 6"},
      {hexRecord(0, 0, four), {}, tool::kExitDataErr, "ends without an end-of-file record"},
      {hexEnd + hexRecord(0, 0, four), {}, tool::kExitDataErr, "line 2 follows the end-of-file record"},
      {":04000400010203G4F1\n", {}, tool::kExitDataErr, "not a hexadecimal digit"},
      {hexRecord(0, 0xFFFE, four) + hexEnd, {}, tool::kExitDataErr, "runs past the end of its 64 KiB segment"},
      {hexRecord(0, 0, four) + hexRecord(0, 2, four) + hexEnd, {}, tool::kExitDataErr, "writes 0x2 twice"},
      {hexRecord(4, 0, four) + hexEnd, {}, tool::kExitDataErr, "a type 4 record holds 2 bytes, not 4"},
      {"S1070000010203040F\n" + sRecord(9, 0, ""), {}, tool::kExitDataErr, "line 1 has a wrong checksum"},
      {sRecord(1, 0, four) + "S4030000FC\n", {}, tool::kExitDataErr, "an S4 record"},
      {sRecord(1, 0, four) + sRecord(5, 2, "") + sRecord(9, 0, ""), {}, tool::kExitDataErr, "counts 2 data records; the file has 1"},
      {"S10A0000010203040F\n", {}, tool::kExitDataErr, "byte count does not match"},
      {sRecord(1, 0, four), {}, tool::kExitDataErr, "ends without a termination record"},
      {scattered + hexEnd, {}, tool::kExitDataErr, "line 4097: has more than 4096 separate regions"},
      {toElf(kProgram).substr(0, 40), {}, tool::kExitDataErr, "too short for an ELF header"},
      {elfPastEnd, {}, tool::kExitDataErr, "segment 1 runs past the end of the file"},
      {elfFatFile, {}, tool::kExitDataErr, "more bytes in the file than in memory"},
      {elfTableOutside, {}, tool::kExitDataErr, "program headers outside the file"},
      {elf64Wraps, {}, tool::kExitDataErr, "0xFFFFFFFFFFFFFFF0 + 32 bytes runs past the end"},
      {"hello\n", {}, tool::kExitDataErr, "is not an ELF, Intel HEX or S-record image; a raw binary needs its address"},
      {hexEnd, {"--format", "srec"}, tool::kExitDataErr, "(srec) line 1 is not an S-record"},
      {hexEnd, {"--format", "bin"}, tool::kExitUsage, "a raw binary needs its address"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const ksim::DeviceId probe = onlyProbe({});
    const std::string path = file("case.img", c.content);
    std::vector<const char*> words = {"mem", "write", path.c_str()};
    words.insert(words.end(), c.extra.begin(), c.extra.end());
    const Outcome run = kestrel(words);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status == 0) {
      EXPECT_EQ(memory(c.at - 4, 8), c.says);
      continue;
    }
    EXPECT_TRUE(holds(run.err, c.says));
    EXPECT_TRUE(ksim::commandPackets(probe).empty());
  }
}

// A read written as Intel HEX or S-records, across a 64 KiB boundary, writes the same bytes
// back on another probe, its records joined into one write; the terminal's hexdump shows
// little-endian words.
TEST(ImageRead, ReadsInEachFormatWriteBackTheSameBytes) {
  const std::string bytes = counting(40, 3), raw = file("raw.bin", bytes);
  const std::string at = "0x2000FFF8";
  for (const char* format : {"ihex", "srec"}) {
    SCOPED_TRACE(format);
    const std::string out = file(std::string("read.") + format, "");
    onlyProbe({});
    ASSERT_EQ(kestrel({"mem", "write", at.c_str(), raw.c_str()}).status, 0);
    const Outcome read =
        kestrel({"mem", "read", at.c_str(), "40", "--out", out.c_str(), "--format", format});
    ASSERT_EQ(read.status, 0) << read.err;
    const ksim::DeviceId probe = onlyProbe({});
    const Outcome written = kestrel({"mem", "write", out.c_str(), "--verify"});
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(commandsSent(probe, {20, 62}), 1);
    EXPECT_EQ(memory(0x2000FFF7, 42), landed(bytes));
  }
  onlyProbe({});
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
    const Outcome run = kestrel({"mem", "read", "0x20000000", "40", "-w", c.width});
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), c.line) << c.width;
  }
  EXPECT_EQ(kestrel({"mem", "read", "0x20000000", "40", "-w", "3"}).status, tool::kExitUsage);
  EXPECT_EQ(kestrel({"mem", "read", "0x1FFFFFFFF", "2", "--ap", "1", "--out", raw.c_str(),
                     "--format", "ihex"})
                .status,
            tool::kExitUsage);
}

}  // namespace
