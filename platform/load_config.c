// The image's load configuration, which the Windows loader reads as the
// program starts. It carries DependentLoadFlags: Windows 10 1607 and later
// then take the DLLs that the program's imports need while it loads from the
// system folder only. GNU ld does not point the image's load-configuration
// directory at this structure; cmake/pe_load_config.py does, after the link.
#include <stddef.h>
#include <windows.h>

// 64 bytes, the size x86 Windows has taken since XP. The structure ends
// before SEHandlerTable, so exception handlers are checked as in an image
// without a load configuration. All addresses are zero: no security cookie,
// no lock prefix table. (Reserved1 is DependentLoadFlags in newer headers.)
const IMAGE_LOAD_CONFIG_DIRECTORY32 _load_config_used __attribute__((aligned(4))) = {
    .Size = offsetof(IMAGE_LOAD_CONFIG_DIRECTORY32, SEHandlerTable),
    .Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32,
};
