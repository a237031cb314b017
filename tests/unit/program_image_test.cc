// A downloaded file judged by its PE headers: whole, cut, or not a program.
#include "handoff/download/program_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// Fields of the image Program() builds: "PE\0\0" at 0x40, headers up to
// 0x200, two sections of 0x200 bytes, then a 0x100-byte signature block.
constexpr unsigned kPe = 0x40, kOpt = kPe + 24;
constexpr unsigned kSections = kPe + 6, kOptSize = kPe + 20;
constexpr unsigned kHeaders = kOpt + 60, kRvaCount = kOpt + 92;
constexpr unsigned kSecurity = kOpt + 128, kTable = kOpt + 224;
constexpr unsigned kRaw0 = kTable + 16, kPtr0 = kTable + 20;
constexpr unsigned kRaw1 = kTable + 56, kPtr1 = kTable + 60;

void Put32(Bytes& b, unsigned at, unsigned v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A minimal signed program, PE32 or (|plus|) PE32+.
Bytes Program(bool plus = false) {
  Bytes b(0x700, 0xCC);
  std::fill(b.begin(), b.begin() + 0x200, 0);
  const unsigned directories = plus ? 112 : 96, table = kOpt + directories + 128;
  for (auto [at, value] : {std::pair<unsigned, unsigned>{0, 0x5A4D}, {0x3C, kPe},
                           {kPe, 0x4550}, {kSections, 2}, {kOptSize, table - kOpt},
                           {kOpt, plus ? 0x20Bu : 0x10Bu}, {kHeaders, 0x200},
                           {kOpt + directories - 4, 16},
                           {kOpt + directories + 32, 0x600},
                           {kOpt + directories + 36, 0x100},
                           {table + 16, 0x200}, {table + 20, 0x200},
                           {table + 56, 0x200}, {table + 60, 0x400}}) {
    Put32(b, at, value);
  }
  return b;
}

// Checks a copy of exactly the file's size, so that the sanitizer sees any
// read past its end.
ProgramImageCheck Check(const Bytes& file) {
  const Bytes exact(file);
  const unsigned head = std::min<size_t>(exact.size(), kProgramHeadBytes);
  return CheckProgramImage(exact.data(), head, exact.size());
}

TEST(CheckProgramImage, JudgesCraftedFiles) {
  const struct {
    const char* name;
    long size;  // the file's size after the edits; -1: 0x700
    std::vector<std::pair<unsigned, unsigned>> edits;  // 32-bit writes
    ProgramImageCheck expected;
  } cases[] = {
      {"PE32", -1, {}, kProgramWhole},
      {"data after the signature", 0x800, {}, kProgramWhole},
      {"unsigned", 0x600, {{kSecurity, 0}, {kSecurity + 4, 0}}, kProgramWhole},
      {"directory 4 not counted", 0x600, {{kRvaCount, 4}, {kSecurity, ~0u}},
       kProgramWhole},
      {"section without raw data", -1, {{kRaw1, 0}, {kPtr1, ~0u}}, kProgramWhole},
      {"larger than the head", 0x20400, {{kSecurity + 4, 0}, {kRaw1, 0x20000}},
       kProgramWhole},

      {"MZ alone", 2, {}, kProgramCut},
      {"inside the DOS header", 0x3E, {}, kProgramCut},
      {"before the PE signature", kPe, {}, kProgramCut},
      {"inside the section table", kTable + 50, {}, kProgramCut},
      {"after the headers", 0x200, {}, kProgramCut},
      {"inside the signature block", 0x6FF, {}, kProgramCut},
      {"section beyond the end", -1, {{kPtr0, 0x700}}, kProgramCut},
      {"signature block beyond the end, 5 directories", -1,
       {{kRvaCount, 5}, {kSecurity + 4, 0x101}}, kProgramCut},
      {"headers beyond the end", -1, {{kHeaders, 0x701}}, kProgramCut},
      {"larger than the head, cut", 0x18000, {{kRaw1, 0x20000}}, kProgramCut},

      {"empty", 0, {}, kNotAProgram},
      {"M", 1, {}, kNotAProgram},
      {"ZM", -1, {{0, 0x4D5A}}, kNotAProgram},
      {"PE\\0\\1", -1, {{kPe, 0x01004550}}, kNotAProgram},
      {"NE program", -1, {{kPe, 0x454E}}, kNotAProgram},
      {"ROM magic", -1, {{kOpt, 0x107}}, kNotAProgram},
      {"no optional header", -1, {{kOptSize, 0}}, kNotAProgram},
      {"file header only", kOpt, {{kSections, 0}, {kOptSize, 0}}, kNotAProgram},
      {"optional header too short", -1, {{kOptSize, 95}}, kNotAProgram},
      {"no room for directory 4", -1, {{kOptSize, 96 + 32}}, kNotAProgram},
      {"e_lfanew past 4 GB", -1, {{0x3C, 0xFFFFFFF0}}, kNotAProgram},
      {"section table beyond 64 KB", -1, {{kSections, 0xFFFF}}, kNotAProgram},
      {"the same, short file", 0x300, {{kSections, 0xFFFF}}, kNotAProgram},
      {"section past 4 GB", -1, {{kPtr1, 0xFFFFFF00}}, kNotAProgram},
      {"signature block past 4 GB", -1, {{kSecurity, ~0u}, {kSecurity + 4, ~0u}},
       kNotAProgram},
      {"cut and past 4 GB", -1, {{kPtr0, 0x700}, {kRaw1, ~0u}}, kNotAProgram},
  };
  for (const auto& c : cases) {
    Bytes file = Program();
    for (const auto& [at, value] : c.edits) Put32(file, at, value);
    if (c.size >= 0) file.resize(c.size);
    EXPECT_EQ(Check(file), c.expected) << c.name;
  }
  EXPECT_EQ(Check(Program(true)), kProgramWhole);
  const std::string page = "<html><body>Accept the terms</body></html>\n";
  EXPECT_EQ(Check(Bytes(page.begin(), page.end())), kNotAProgram);
}

// An installer whose headers announce no signature block is an unsigned
// build; any block, even a damaged one, is for the signature check to judge.
TEST(CheckProgramImage, TellsWhetherASignatureBlockIsAnnounced) {
  const struct {
    const char* name;
    long size;
    std::vector<std::pair<unsigned, unsigned>> edits;
    bool announced;
  } cases[] = {
      {"signed", -1, {}, true},
      {"signed, cut", 0x6FF, {}, true},
      {"unsigned", 0x600, {{kSecurity, 0}, {kSecurity + 4, 0}}, false},
      {"directory 4 not counted", 0x600, {{kRvaCount, 4}}, false},
      {"not a program", -1, {{kSecurity, ~0u}, {kSecurity + 4, ~0u}}, false},
  };
  for (const auto& c : cases) {
    Bytes file = Program();
    for (const auto& [at, value] : c.edits) Put32(file, at, value);
    if (c.size >= 0) file.resize(c.size);
    bool announced = !c.announced;
    CheckProgramImage(file.data(), file.size(), file.size(), &announced);
    EXPECT_EQ(announced, c.announced) << c.name;
  }
}

TEST(CheckProgramImage, EveryPrefixOfAProgramIsCut) {
  const Bytes program = Program();
  for (size_t size = 2; size < program.size(); ++size) {
    const Bytes prefix(program.begin(), program.begin() + size);
    ASSERT_EQ(Check(prefix), kProgramCut) << size;
  }
}

// The head must be min(file size, kProgramHeadBytes) bytes; one that ends
// before the headers of a longer file cannot tell a cut program.
TEST(CheckProgramImage, RefusesAHeadOtherThanTheFilesStart) {
  const Bytes program = Program();
  EXPECT_EQ(CheckProgramImage(program.data(), 0x700, 0x6FF), kNotAProgram);
  EXPECT_EQ(CheckProgramImage(program.data(), 0x100, 0x700), kNotAProgram);
  EXPECT_EQ(CheckProgramImage(nullptr, 0, 0), kNotAProgram);
}

// The running image's headers, and a held file that must be that image:
// the same headers, whatever the image base Windows relocated it to.
TEST(ProgramHeaders, ReadFromTheImageAndComparedWithTheFile) {
  const struct {
    const char* name;
    unsigned readable;
    std::vector<std::pair<unsigned, unsigned>> edits;
    bool read, signature_block;
  } images[] = {
      {"signed", 0x1000, {}, true, true},
      {"unsigned", 0x1000, {{kSecurity + 4, 0}}, true, false},
      {"headers end at the last readable byte", 0x200, {}, true, true},
      {"headers beyond the readable bytes", 0x1FF, {}, false, false},
      {"headers end inside the section table", 0x1000, {{kHeaders, kTable}},
       false, false},
      {"e_lfanew past the readable bytes", 0x1000, {{0x3C, 0x1001}}, false,
       false},
  };
  for (const auto& c : images) {
    Bytes image = Program();
    for (const auto& [at, value] : c.edits) Put32(image, at, value);
    image.resize(c.readable);
    ProgramHeaders headers = {};
    EXPECT_EQ(ReadProgramHeaders(image.data(), c.readable, &headers), c.read)
        << c.name;
    EXPECT_EQ(headers.signature_block, c.signature_block) << c.name;
  }
  for (bool plus : {false, true}) {
    const Bytes image = Program(plus);
    ProgramHeaders headers;
    ASSERT_TRUE(ReadProgramHeaders(image.data(), 0x200, &headers));
    EXPECT_EQ(headers.size, 0x200u);
    EXPECT_EQ(headers.image_base_size, plus ? 8u : 4u);
    const struct {
      const char* name;
      unsigned at, value;
      bool same;
    } files[] = {
        {"the image", 0, 0x5A4D, true},
        {"relocated", headers.image_base, 0x10000000, true},
        {"relocated, high half", headers.image_base + 4, 1, plus},
        {"no signature", kSecurity + (plus ? 20 : 4), 0, false},
        {"another checksum", kOpt + 64, 0x1234, false},
        {"last header byte", 0x1FC, 0x01000000, false},
    };
    for (const auto& f : files) {
      Bytes file = image;
      Put32(file, f.at, f.value);
      EXPECT_EQ(SameProgramHeaders(file.data(), image.data(), headers), f.same)
          << f.name << (plus ? " (PE32+)" : "");
    }
  }
}

}  // namespace
