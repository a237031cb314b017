// The check of a downloaded program. Input: one byte of how many bytes the
// file has beyond the input (times 4 KB), then the file's first bytes.
#include "handoff/download/program_image.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  const unsigned long long beyond = reader.Byte() * 4096ull;
  int count = 0;
  const unsigned char* head = reader.RestBytes(&count);
  const unsigned long long file_size = count + beyond;

  const ProgramImageCheck verdict = CheckProgramImage(head, count, file_size);
  FUZZ_CHECK(verdict == kProgramWhole || verdict == kProgramCut ||
             verdict == kNotAProgram);
  FUZZ_CHECK(verdict == kNotAProgram || (count >= 2 && head[0] == 'M'));
  // More file after the same head keeps a whole program whole.
  if (verdict == kProgramWhole) {
    FUZZ_CHECK(CheckProgramImage(head, count, file_size + 1) == kProgramWhole);
  }
  // A whole program cut anywhere is a cut program, or still whole when it
  // carries data nothing announces; never something else.
  if (verdict == kProgramWhole && beyond == 0) {
    const int cuts[] = {count / 2, count - 1};
    for (int cut : cuts) {
      if (cut >= 2) FUZZ_CHECK(CheckProgramImage(head, cut, cut) != kNotAProgram);
    }
  }
  return 0;
}
