# Shared build settings: warnings for every target of ours and one helper to add a
# GoogleTest binary to CTest.

# dtaus_set_warnings(target): the warnings for the C++ sources of one of our targets, as
# errors with DTAUS_WERROR (our presets). Off by default, so that a compiler that warns
# where ours does not (a newer release, or an older one's false positives) does not stop
# someone else's build.
function(dtaus_set_warnings target)
  if(MSVC)
    set(flags /W4)
    set(werror /WX)
  else()
    set(flags -Wall -Wextra -Wpedantic -Wshadow)
    set(werror -Werror)
  endif()
  if(DTAUS_WERROR)
    list(APPEND flags ${werror})
  endif()
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${flags}>")
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
