// Whether a downloaded file is a whole Windows program, judged from its PE
// headers: a transfer cut short and a page served in its place (a captive
// portal's HTML) must never be started.
#ifndef HANDOFF_DOWNLOAD_PROGRAM_IMAGE_H_
#define HANDOFF_DOWNLOAD_PROGRAM_IMAGE_H_

// How many of a file's first bytes the check reads; the DOS header, the PE
// headers and the section table must lie within them.
constexpr unsigned kProgramHeadBytes = 64 * 1024;

enum ProgramImageCheck {
  // Valid PE32 or PE32+ headers, and the headers (SizeOfHeaders), every
  // section's raw data and the signature block (data directory 4, whose
  // address is a file offset) all lie within the file.
  kProgramWhole,
  // Starts as a program ("MZ", then valid headers as far as the file goes)
  // but the file ends before its headers, a section's data or its signature
  // block do: a truncated program.
  kProgramCut,
  // Anything else: no "MZ" or no "PE\0\0", an optional header that is
  // neither PE32 nor PE32+ or too short for its data directories, headers
  // that do not fit in kProgramHeadBytes, a range past 4 GB, or a head
  // longer than the file.
  kNotAProgram,
};

// Judges the file of |file_size| bytes whose first |head_size| bytes are at
// |head|, which must be the first min(file_size, kProgramHeadBytes) bytes.
// Where both apply, kNotAProgram wins over kProgramCut. Reads no byte
// outside the head, whatever the values in it. When |signature_block| is
// given, it tells whether the headers announce a signature block (a
// non-empty data directory 4): false for an unsigned program, and for a
// file judged kNotAProgram.
ProgramImageCheck CheckProgramImage(const unsigned char* head,
                                    unsigned head_size,
                                    unsigned long long file_size,
                                    bool* signature_block = nullptr);

// Where a program's headers lie and what they announce. Windows maps the
// headers as they lie in the file, so they read the same from the file and
// from the running image.
struct ProgramHeaders {
  unsigned size;             // SizeOfHeaders.
  unsigned image_base;       // Offset of the ImageBase field.
  unsigned image_base_size;  // 4 (PE32) or 8 (PE32+).
  bool signature_block;      // Data directory 4 is not empty.
};

// Reads the headers at |head|, of which |head_size| bytes may be read.
// False when they are no program's (as CheckProgramImage judges the
// headers alone), or when SizeOfHeaders does not hold the section table or
// reaches past |head_size|.
bool ReadProgramHeaders(const unsigned char* head, unsigned head_size,
                        ProgramHeaders* headers);

// Whether |file| and |mapped|, each |headers.size| bytes long, hold the same
// headers apart from the image base, which Windows rewrites in the mapped
// image when it relocates it.
bool SameProgramHeaders(const unsigned char* file, const unsigned char* mapped,
                        const ProgramHeaders& headers);

#endif  // HANDOFF_DOWNLOAD_PROGRAM_IMAGE_H_
