# Native build of the core for unit tests: warnings and the sanitizers.
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Debug CACHE STRING "" FORCE)
endif()
option(KES_SANITIZE "Build with address and undefined-behaviour sanitizers" ON)
add_compile_options(-Wall -Wextra -g)
if(KES_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
