if(NOT GORV_TESTS)
  return()
endif()
enable_testing()
find_package(GTest REQUIRED)
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
