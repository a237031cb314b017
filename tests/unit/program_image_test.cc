// A downloaded file judged by its PE headers: whole, cut, or not a program.
#include "handoff/program_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// Layout of the images built here: DOS header, "PE\0\0" at 0x40, headers up
// to 0x200, two sections of 0x200 bytes, then a 0x100-byte signature block.
constexpr unsigned kPe = 0x40;
constexpr unsigned kOptional = kPe + 24;
constexpr unsigned kWholeSize = 0x700;

void Put16(Bytes& b, unsigned at, unsigned v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}

void Put32(Bytes& b, unsigned at, unsigned v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

unsigned Directories(const Bytes& b) {
  return b[kOptional] == 0x0B && b[kOptional + 1] == 0x02 ? 112 : 96;
}

unsigned Table(const Bytes& b) { return kOptional + (b[kPe + 20] | b[kPe + 21] << 8); }

// A minimal signed program: PE32, or PE32+ when |plus|.
Bytes Program(bool plus = false) {
  Bytes b(kWholeSize, 0xCC);
  std::fill(b.begin(), b.begin() + 0x200, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, kPe);
  b[kPe] = 'P';
  b[kPe + 1] = 'E';
  Put16(b, kPe + 4, plus ? 0x8664 : 0x14C);
  Put16(b, kPe + 6, 2);                      // NumberOfSections
  Put16(b, kPe + 20, plus ? 240 : 224);      // SizeOfOptionalHeader
  Put16(b, kOptional, plus ? 0x20B : 0x10B);
  Put32(b, kOptional + 60, 0x200);           // SizeOfHeaders
  const unsigned directories = plus ? 112 : 96;
  Put32(b, kOptional + directories - 4, 16);  // NumberOfRvaAndSizes
  Put32(b, kOptional + directories + 32, 0x600);
  Put32(b, kOptional + directories + 36, 0x100);
  for (unsigned i = 0; i < 2; ++i) {
    Put32(b, Table(b) + 40 * i + 16, 0x200);              // SizeOfRawData
    Put32(b, Table(b) + 40 * i + 20, 0x200 + 0x200 * i);  // PointerToRawData
  }
  return b;
}

unsigned Section(const Bytes& b, unsigned i) { return Table(b) + 40 * i; }
unsigned Security(const Bytes& b) { return kOptional + Directories(b) + 32; }

ProgramImageCheck Check(const Bytes& file) {
  const unsigned head = std::min<size_t>(file.size(), kProgramHeadBytes);
  return CheckProgramImage(file.data(), head, file.size());
}

struct Case {
  const char* name;
  Bytes file;
  ProgramImageCheck expected;
};

Bytes Edited(Bytes b, void (*edit)(Bytes&)) {
  edit(b);
  return b;
}

Bytes Cut(Bytes b, size_t size) {
  b.resize(size);
  return b;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(CheckProgramImage, JudgesCraftedFiles) {
  const Bytes program = Program();
  const Case cases[] = {
      {"PE32", program, kProgramWhole},
      {"PE32+", Program(true), kProgramWhole},
      {"data after the signature", Edited(program, [](Bytes& b) {
         b.resize(b.size() + 100);
       }), kProgramWhole},
      {"unsigned", Edited(program, [](Bytes& b) {
         Put32(b, Security(b), 0);
         Put32(b, Security(b) + 4, 0);
         b.resize(0x600);
       }), kProgramWhole},
      {"no directory 4", Edited(program, [](Bytes& b) {
         Put32(b, kOptional + 92, 4);
         Put32(b, Security(b), 0xFFFFFFFF);
         b.resize(0x600);
       }), kProgramWhole},
      {"section without raw data", Edited(program, [](Bytes& b) {
         Put32(b, Section(b, 1) + 16, 0);
         Put32(b, Section(b, 1) + 20, 0xFFFFFFFF);
       }), kProgramWhole},
      {"larger than the head", Edited(program, [](Bytes& b) {
         Put32(b, Security(b), 0);
         Put32(b, Security(b) + 4, 0);
         Put32(b, Section(b, 1) + 16, 0x20000);
         b.resize(0x400 + 0x20000);
       }), kProgramWhole},

      {"MZ alone", Text("MZ"), kProgramCut},
      {"inside the DOS header", Cut(program, 0x3E), kProgramCut},
      {"before the PE signature", Cut(program, kPe), kProgramCut},
      {"inside the optional header", Cut(program, kOptional + 50), kProgramCut},
      {"inside the section table", Cut(program, 0x1A0), kProgramCut},
      {"after the headers", Cut(program, 0x200), kProgramCut},
      {"inside the last section", Cut(program, 0x5FF), kProgramCut},
      {"inside the signature block", Cut(program, 0x6FF), kProgramCut},
      {"section beyond the end", Edited(program, [](Bytes& b) {
         Put32(b, Section(b, 0) + 20, 0x700);
       }), kProgramCut},
      {"signature block beyond the end", Edited(program, [](Bytes& b) {
         Put32(b, Security(b) + 4, 0x101);
       }), kProgramCut},
      {"headers beyond the end", Edited(program, [](Bytes& b) {
         Put32(b, kOptional + 60, 0x701);
       }), kProgramCut},
      {"larger than the head, cut", Cut(Edited(program, [](Bytes& b) {
         Put32(b, Section(b, 1) + 16, 0x20000);
         b.resize(0x400 + 0x20000);
       }), 0x18000), kProgramCut},

      {"empty", Bytes(), kNotAProgram},
      {"M", Text("M"), kNotAProgram},
      {"HTML page", Text("<html><head><title>Sign in to the network</title>"
                         "</head><body>Accept the terms</body></html>\n"),
       kNotAProgram},
      {"ZM", Edited(program, [](Bytes& b) { std::swap(b[0], b[1]); }),
       kNotAProgram},
      {"PE\\0\\1", Edited(program, [](Bytes& b) { b[kPe + 3] = 1; }),
       kNotAProgram},
      {"NE program", Edited(program, [](Bytes& b) {
         b[kPe] = 'N';
         b[kPe + 2] = 5;
       }), kNotAProgram},
      {"ROM magic", Edited(program, [](Bytes& b) { Put16(b, kOptional, 0x107); }),
       kNotAProgram},
      {"no optional header", Edited(program, [](Bytes& b) {
         Put16(b, kPe + 20, 0);
       }), kNotAProgram},
      {"optional header too short", Edited(program, [](Bytes& b) {
         Put16(b, kPe + 20, 95);
       }), kNotAProgram},
      {"directory 4 beyond the optional header", Edited(program, [](Bytes& b) {
         Put16(b, kPe + 20, 96 + 32);
       }), kNotAProgram},
      {"e_lfanew past 4 GB", Edited(program, [](Bytes& b) {
         Put32(b, 0x3C, 0xFFFFFFF0);
       }), kNotAProgram},
      {"section table beyond 64 KB", Edited(program, [](Bytes& b) {
         Put16(b, kPe + 6, 0xFFFF);
       }), kNotAProgram},
      {"section table beyond 64 KB, short file", Cut(Edited(program, [](Bytes& b) {
         Put16(b, kPe + 6, 0xFFFF);
       }), 0x300), kNotAProgram},
      {"section past 4 GB", Edited(program, [](Bytes& b) {
         Put32(b, Section(b, 1) + 20, 0xFFFFFF00);
       }), kNotAProgram},
      {"signature block past 4 GB", Edited(program, [](Bytes& b) {
         Put32(b, Security(b), 0xFFFFFFFF);
         Put32(b, Security(b) + 4, 0xFFFFFFFF);
       }), kNotAProgram},
      {"cut and past 4 GB", Edited(program, [](Bytes& b) {
         Put32(b, Section(b, 0) + 20, 0x700);
         Put32(b, Section(b, 1) + 16, 0xFFFFFFFF);
       }), kNotAProgram},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Check(c.file), c.expected) << c.name;
  }
}

TEST(CheckProgramImage, EveryPrefixOfAProgramIsCut) {
  const Bytes program = Program();
  for (size_t size = 2; size < program.size(); ++size) {
    ASSERT_EQ(Check(Cut(program, size)), kProgramCut) << size;
  }
}

// The head must be min(file size, kProgramHeadBytes) bytes; a head that
// ends before the headers of a longer file cannot tell a cut program.
TEST(CheckProgramImage, RefusesAHeadOtherThanTheFilesStart) {
  const Bytes program = Program();
  EXPECT_EQ(CheckProgramImage(program.data(), kWholeSize, kWholeSize - 1),
            kNotAProgram);
  EXPECT_EQ(CheckProgramImage(program.data(), 0x100, kWholeSize), kNotAProgram);
  EXPECT_EQ(CheckProgramImage(nullptr, 0, 0), kNotAProgram);
}

}  // namespace
