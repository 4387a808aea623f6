# Instrumented builds, each meant for a build folder of its own (scripts/sanitize.sh,
# scripts/fuzz.sh); a normal build sets neither option and gets no extra flags.
option(VELMORA_SANITIZE "Build everything with AddressSanitizer and UBSan" OFF)
option(VELMORA_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang)" OFF)

if(VELMORA_SANITIZE OR VELMORA_FUZZ)
  # Every library is instrumented, not only the targets, so a fault inside a parser is caught
  # where it happens rather than later in the caller.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VELMORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VELMORA_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
  endif()
  # Coverage feedback for the libraries; the targets themselves link the fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
