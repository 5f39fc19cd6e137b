# Installs the library from BUILD_DIR into a scratch prefix, builds the consumer project
# against it with find_package, and runs it: the whole path a host takes.
# With WITH_TOOL on, the installed dtaus tool must run and name VERSION.
# Usage: cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DWORK_DIR=... [-DWITH_TOOL=ON -DVERSION=...]
#        -P CheckInstall.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${WORK_DIR}/prefix"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "cmake --install failed")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tests/install" -B "${WORK_DIR}/build"
                        -G Ninja "-DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix"
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "find_package(orveldtaus) failed")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}/build" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building against the installed library failed")
endif()
execute_process(COMMAND "${WORK_DIR}/build/consumer" "${WORK_DIR}/DTAUS0.TXT"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(rc OR NOT out MATCHES "512 bytes")
  message(FATAL_ERROR "the consumer did not write the worked example: ${out}")
endif()
if(WITH_TOOL)
  execute_process(COMMAND "${WORK_DIR}/prefix/bin/dtaus" --version
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  # The first line names the version; the next one the bank directory it checks against.
  string(FIND "${out}" "dtaus ${VERSION}\n" at)
  if(rc OR NOT at EQUAL 0)
    message(FATAL_ERROR "the installed bin/dtaus --version failed: ${rc} ${out}")
  endif()
endif()
