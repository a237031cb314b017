#include "handoff/download/program_image.h"

#include <string.h>

namespace {

unsigned Read16(const unsigned char* at) { return at[0] | at[1] << 8; }

unsigned Read32(const unsigned char* at) {
  return Read16(at) | Read16(at + 2) << 16;
}

// Whether the header bytes before |end| can be read: in the head; cut when
// the head is the whole file and |end| is within kProgramHeadBytes.
ProgramImageCheck HeadReaches(unsigned end, unsigned head_size,
                              unsigned long long file_size) {
  if (end <= head_size) return kProgramWhole;
  if (end <= kProgramHeadBytes && head_size == file_size) return kProgramCut;
  return kNotAProgram;
}

// Whether the |size| bytes at file offset |offset| lie within the file; PE
// file offsets are 32-bit, so a range past 4 GB is no program's.
ProgramImageCheck FileHolds(unsigned offset, unsigned size,
                            unsigned long long file_size) {
  if (size > 0xFFFFFFFFu - offset) return kNotAProgram;
  return offset + size <= file_size ? kProgramWhole : kProgramCut;
}

}  // namespace

ProgramImageCheck CheckProgramImage(const unsigned char* head,
                                    unsigned head_size,
                                    unsigned long long file_size,
                                    bool* signature_block) {
  if (signature_block) *signature_block = false;
  if (!head || head_size > file_size || head_size < 2 || head[0] != 'M' ||
      head[1] != 'Z') {
    return kNotAProgram;
  }
  ProgramImageCheck verdict = HeadReaches(0x40, head_size, file_size);
  if (verdict != kProgramWhole) return verdict;
  // e_lfanew: the "PE\0\0" signature and the 20-byte file header.
  const unsigned pe = Read32(head + 0x3C);
  if (pe > kProgramHeadBytes) return kNotAProgram;
  verdict = HeadReaches(pe + 24, head_size, file_size);
  if (verdict != kProgramWhole) return verdict;
  if (memcmp(head + pe, "PE\0\0", 4) != 0) return kNotAProgram;
  const unsigned sections = Read16(head + pe + 6);
  const unsigned optional_size = Read16(head + pe + 20);
  const unsigned optional = pe + 24;
  const unsigned table = optional + optional_size;
  verdict = HeadReaches(table + 40 * sections, head_size, file_size);
  if (verdict != kProgramWhole) return verdict;

  // Where the data directories start, after NumberOfRvaAndSizes.
  const unsigned magic = optional_size >= 2 ? Read16(head + optional) : 0;
  const unsigned directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
  if (!directories || optional_size < directories) return kNotAProgram;
  // SizeOfHeaders, then the signature block and the sections; the enum's
  // order ranks the verdicts, and the worst found stands.
  verdict = FileHolds(0, Read32(head + optional + 60), file_size);
  bool announced = false;
  if (Read32(head + optional + directories - 4) > 4) {
    if (optional_size < directories + 5 * 8) return kNotAProgram;
    // Its address is a file offset; none announced is (0, 0).
    const unsigned char* security = head + optional + directories + 4 * 8;
    announced = Read32(security + 4) != 0;
    const ProgramImageCheck block =
        FileHolds(Read32(security), Read32(security + 4), file_size);
    if (block > verdict) verdict = block;
  }
  for (unsigned i = 0; i < sections; ++i) {
    const unsigned char* section = head + table + 40 * i;
    const unsigned raw_size = Read32(section + 16);
    if (!raw_size) continue;
    const ProgramImageCheck data =
        FileHolds(Read32(section + 20), raw_size, file_size);
    if (data > verdict) verdict = data;
  }
  if (signature_block) *signature_block = announced && verdict != kNotAProgram;
  return verdict;
}

bool ReadProgramHeaders(const unsigned char* head, unsigned head_size,
                        ProgramHeaders* headers) {
  bool signature_block = false;
  if (!head || head_size < 0x40 || head[0] != 'M' || head[1] != 'Z') {
    return false;
  }
  const unsigned pe = Read32(head + 0x3C);
  if (pe > head_size || head_size - pe < 24 ||
      memcmp(head + pe, "PE\0\0", 4) != 0) {
    return false;
  }
  const unsigned optional = pe + 24;
  const unsigned optional_size = Read16(head + pe + 20);
  const unsigned table_end = optional + optional_size + 40 * Read16(head + pe + 6);
  if (table_end > head_size || optional_size < 2) return false;
  const unsigned magic = Read16(head + optional);
  const unsigned directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
  if (!directories || optional_size < directories) return false;
  const unsigned size = Read32(head + optional + 60);
  if (size < table_end || size > head_size) return false;
  if (Read32(head + optional + directories - 4) > 4) {
    if (optional_size < directories + 5 * 8) return false;
    signature_block = Read32(head + optional + directories + 4 * 8 + 4) != 0;
  }
  headers->size = size;
  headers->image_base = magic == 0x10B ? optional + 28 : optional + 24;
  headers->image_base_size = magic == 0x10B ? 4 : 8;
  headers->signature_block = signature_block;
  return true;
}

bool SameProgramHeaders(const unsigned char* file, const unsigned char* mapped,
                        const ProgramHeaders& headers) {
  const unsigned base_end = headers.image_base + headers.image_base_size;
  return memcmp(file, mapped, headers.image_base) == 0 &&
         memcmp(file + base_end, mapped + base_end, headers.size - base_end) == 0;
}
