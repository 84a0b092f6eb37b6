# STILLMON_FUZZ=ON: a build for libFuzzer, with clang. Everything is compiled with coverage
# for the fuzzer and with AddressSanitizer and UndefinedBehaviorSanitizer (any report ends
# the run, so libFuzzer keeps the input), optimised lightly so the targets run fast enough.
# The fuzz programs themselves are added with the tests (tests/fuzz/tests.cmake).
option(STILLMON_FUZZ "Build the fuzz targets as libFuzzer programs (needs clang)" OFF)

if(STILLMON_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "STILLMON_FUZZ needs clang: configure a separate build with CXX=clang++.")
  endif()
  if(NOT STILLMON_BUILD_TESTS)
    message(FATAL_ERROR "STILLMON_FUZZ needs STILLMON_BUILD_TESTS: the fuzz targets live with the tests.")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g -O1)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
