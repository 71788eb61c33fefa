# The fuzz folder holds the fuzzer's harness, which the tests replay, and the fuzz target.
if(NOT GORV_FUZZERS AND NOT GORV_TESTS)
  return()
endif()
if(GORV_FUZZERS AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "GORV_FUZZERS needs clang (for example CXX=clang++-19)")
endif()
add_subdirectory(fuzz)
