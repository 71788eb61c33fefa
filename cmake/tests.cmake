# The tests need GoogleTest. Without it the program, its manual page and its package
# still build, and the tests are off until GoogleTest is installed and the build folder
# configured again. CI, which must run them, stops instead.
if(NOT GORV_TESTS)
  return()
endif()
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  if(DEFINED ENV{CI})
    message(FATAL_ERROR "GoogleTest not found: CI needs it for the tests (libgtest-dev)")
  endif()
  message(STATUS "GoogleTest not found: the tests are off "
                 "(install libgtest-dev and configure again to build them)")
  # The folder's own view of the option; the cache keeps ON for the next configure.
  set(GORV_TESTS OFF)
  # The test command fails and says why, rather than passing on no test.
  enable_testing()
  add_test(NAME tests.need_googletest
           COMMAND sh -c "echo 'The tests need GoogleTest: install libgtest-dev and configure again.'; exit 1")
  return()
endif()
enable_testing()
include(GoogleTest)

# gorv_test(name sources... LIBS libs...): one GoogleTest executable, its tests
# registered with CTest one by one.
function(gorv_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main gorv_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

add_subdirectory(tests)
