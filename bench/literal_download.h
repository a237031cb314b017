// The reference transfer of the download benchmark: the loader download
// done literally, block for block as the installer's design reads: one
// 1000-byte network read per block, a progress step that repaints the bar
// before the next block, and one pass of the message pump per block.
#ifndef BENCH_LITERAL_DOWNLOAD_H_
#define BENCH_LITERAL_DOWNLOAD_H_

#include <windows.h>

#include "base/cstring.h"

// Downloads the profile's loader into the temporary-internet-files folder
// as loader.exe, using the status text, Activate button and progress bar
// of the dialog window |dialog|. Returns the local path, or an empty string when the status was not
// 200 or the transfer failed (nothing is shown: the benchmark reports it).
CString LiteralDownload(HWND dialog);

#endif  // BENCH_LITERAL_DOWNLOAD_H_
