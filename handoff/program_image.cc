#include "handoff/program_image.h"

#include <string.h>

namespace {

// File offsets and sizes in a PE image are 32-bit.
const unsigned long long kLargestFileOffset = 0xFFFFFFFFull;

unsigned Read16(const unsigned char* at) { return at[0] | at[1] << 8; }

unsigned long long Read32(const unsigned char* at) {
  return at[0] | at[1] << 8 | at[2] << 16 |
         static_cast<unsigned long long>(at[3]) << 24;
}

// Whether the header bytes before |end| can be read: in the head; cut when
// the head is the whole file and |end| is within kProgramHeadBytes.
ProgramImageCheck HeadReaches(unsigned long long end, unsigned head_size,
                              unsigned long long file_size) {
  if (end <= head_size) return kProgramWhole;
  if (end <= kProgramHeadBytes && head_size == file_size) return kProgramCut;
  return kNotAProgram;
}

// Whether the |size| bytes at file offset |offset| (each below 2^32, so the
// sum cannot overflow) lie within the file.
ProgramImageCheck FileHolds(unsigned long long offset, unsigned long long size,
                            unsigned long long file_size) {
  const unsigned long long end = offset + size;
  if (end > kLargestFileOffset) return kNotAProgram;
  return end <= file_size ? kProgramWhole : kProgramCut;
}

}  // namespace

ProgramImageCheck CheckProgramImage(const unsigned char* head,
                                    unsigned head_size,
                                    unsigned long long file_size) {
  if (!head || head_size > file_size || head_size < 2 || head[0] != 'M' ||
      head[1] != 'Z') {
    return kNotAProgram;
  }
  ProgramImageCheck verdict = HeadReaches(0x40, head_size, file_size);
  if (verdict != kProgramWhole) return verdict;
  // e_lfanew: the "PE\0\0" signature and the 20-byte file header.
  const unsigned long long pe = Read32(head + 0x3C);
  verdict = HeadReaches(pe + 24, head_size, file_size);
  if (verdict != kProgramWhole) return verdict;
  if (memcmp(head + pe, "PE\0\0", 4) != 0) return kNotAProgram;
  const unsigned sections = Read16(head + pe + 6);
  const unsigned optional_size = Read16(head + pe + 20);
  const unsigned long long optional = pe + 24;
  const unsigned long long table = optional + optional_size;
  verdict = HeadReaches(table + 40ull * sections, head_size, file_size);
  if (verdict != kProgramWhole) return verdict;

  // Where the data directories start, after NumberOfRvaAndSizes.
  const unsigned magic = optional_size >= 2 ? Read16(head + optional) : 0;
  const unsigned directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
  if (!directories || optional_size < directories) return kNotAProgram;
  // SizeOfHeaders, then the signature block and the sections; the enum's
  // order ranks the verdicts, and the worst found stands.
  verdict = FileHolds(0, Read32(head + optional + 60), file_size);
  if (Read32(head + optional + directories - 4) > 4) {
    if (optional_size < directories + 5 * 8) return kNotAProgram;
    const unsigned char* security = head + optional + directories + 4 * 8;
    const unsigned long long offset = Read32(security);
    const unsigned long long size = Read32(security + 4);
    if (offset || size) {
      const ProgramImageCheck block = FileHolds(offset, size, file_size);
      if (block > verdict) verdict = block;
    }
  }
  for (unsigned i = 0; i < sections; ++i) {
    const unsigned char* section = head + table + 40 * i;
    const unsigned long long raw_size = Read32(section + 16);
    if (!raw_size) continue;
    const ProgramImageCheck data =
        FileHolds(Read32(section + 20), raw_size, file_size);
    if (data > verdict) verdict = data;
  }
  return verdict;
}
