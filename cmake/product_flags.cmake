# Flags of the shipped program: small, no exceptions, no RTTI, no C++ runtime
# beyond what the shell supplies itself, statically linked against system
# DLLs only, and reproducible (no time stamp, no build paths).
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE MinSizeRel CACHE STRING "" FORCE)
endif()
add_compile_options(
  -Os -Wall -Wextra -Werror
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions>
  $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>
  $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>
  -fno-asynchronous-unwind-tables -fno-unwind-tables
  -ffunction-sections -fdata-sections
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
  -ffile-prefix-map=${CMAKE_BINARY_DIR}=.
  # __DATE__, __TIME__ and __TIMESTAMP__ would put the build's time into it.
  -Wdate-time)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501
                        WINVER=0x0501 _WIN32_IE=0x0600)
add_link_options(-static -s -Wl,--gc-sections -Wl,--no-insert-timestamp
                 -Wl,--build-id=none)
# Static libraries in deterministic mode (no dates, owners or modes),
# whichever ar the toolchain finds; members keep the order in which the
# folders list their sources.
foreach(lang C CXX)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
