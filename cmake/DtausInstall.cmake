# cmake --install: the public headers, the library and a CMake package, so that a host
# writes find_package(orveldtaus) and links orveldtaus::orveldtaus; and the dtaus tool,
# where it is built.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS orveldtaus EXPORT orveldtausTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The bank directory and the SEPA converter are components of the tool's, with
# dependencies of their own: not installed with the dependency-free library.
install(DIRECTORY include/dtaus DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        PATTERN "bank_directory.h" EXCLUDE
        PATTERN "sepa.h" EXCLUDE)
install(EXPORT orveldtausTargets NAMESPACE orveldtaus::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/orveldtaus)
configure_package_config_file(cmake/orveldtausConfig.cmake.in
        "${PROJECT_BINARY_DIR}/orveldtausConfig.cmake"
        INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/orveldtaus)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/orveldtausConfigVersion.cmake"
        COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/orveldtausConfig.cmake"
              "${PROJECT_BINARY_DIR}/orveldtausConfigVersion.cmake"
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/orveldtaus)
if(TARGET dtaus)
  # A shared library is found next to the tool's own prefix, wherever that was installed.
  if(BUILD_SHARED_LIBS AND NOT APPLE)
    set_target_properties(dtaus PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  endif()
  install(TARGETS dtaus RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
