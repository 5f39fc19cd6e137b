# Shared build settings: warnings for every target of ours and one helper to add a
# GoogleTest binary to CTest.

function(dtaus_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
  endif()
endfunction()

if(DTAUS_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# dtaus_add_test(NAME source...): one test binary, linked against the library, its
# internal headers and GoogleTest, with each test case registered in CTest.
function(dtaus_add_test name)
  if(NOT DTAUS_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE orveldtaus GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/src")
  dtaus_set_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "DTAUS_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}")
endfunction()
