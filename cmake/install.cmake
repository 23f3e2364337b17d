# cmake --install, the SDK for embedders (a CMake package and a pkg-config file) and the Debian
# package (cpack -G DEB). The layout is in cmake/layout.cmake.

set(OMBRA_HOST_LIBRARIES host_base host_filesystem host_utility host_dialog host_interpreter)

# Installed binaries find what they need relative to themselves, never in the build tree.
set_target_properties(ombra PROPERTIES INSTALL_RPATH "\$ORIGIN/${OMBRA_BIN_TO_LIB}")
set_target_properties(${OMBRA_HOST_LIBRARIES} PROPERTIES INSTALL_RPATH "\$ORIGIN")
set_target_properties(DataInOut PROPERTIES INSTALL_RPATH "\$ORIGIN/${OMBRA_EXTENSIONS_TO_LIB}")

install(TARGETS ombra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS host ${OMBRA_HOST_LIBRARIES} EXPORT OmbraTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
install(TARGETS DataInOut LIBRARY DESTINATION ${OMBRA_INSTALL_EXTENSIONSDIR} COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/host DESTINATION ${OMBRA_INSTALL_INCLUDEDIR}
        COMPONENT runtime FILES_MATCHING PATTERN "*.h" PATTERN "CMakeLists.txt" EXCLUDE)

# Every manual page in docs/man, each in the folder of its section.
file(GLOB OMBRA_MAN_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.[15])
foreach(page ${OMBRA_MAN_PAGES})
  string(REGEX MATCH "[15]$" section ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT runtime)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/ombra/LANGUAGE.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)

# The CMake package: find_package(Ombra CONFIG) gives Ombra::host (the contract headers) and
# Ombra::host_base, Ombra::host_filesystem, ... (the host libraries).
include(CMakePackageConfigHelpers)
install(EXPORT OmbraTargets NAMESPACE Ombra:: DESTINATION ${OMBRA_INSTALL_CMAKEDIR}
        COMPONENT runtime)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OmbraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/OmbraConfig.cmake INSTALL_DESTINATION ${OMBRA_INSTALL_CMAKEDIR}
  PATH_VARS OMBRA_INSTALL_EXTENSIONSDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OmbraConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OmbraConfig.cmake ${PROJECT_BINARY_DIR}/OmbraConfigVersion.cmake
        DESTINATION ${OMBRA_INSTALL_CMAKEDIR} COMPONENT runtime)

# The pkg-config file, with paths relative to its own place so that a moved prefix still works.
file(RELATIVE_PATH OMBRA_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" OMBRA_PC_TO_PREFIX "${OMBRA_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/ombra.pc.in ${PROJECT_BINARY_DIR}/ombra.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ombra.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT runtime)

# cpack -G DEB: one package of everything above; dpkg-shlibdeps declares the libraries it needs.
set(CPACK_PACKAGE_NAME ombra)
set(CPACK_PACKAGE_VENDOR "Ombra Data In-Out developers")
set(CPACK_PACKAGE_CONTACT "Ombra Data In-Out developers <ombra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Ombra script host with the Data In-Out module, its host libraries and SDK")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION interpreters)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_BINDIR})
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Runs Ombra scripts from the command line or interactively. The Data In-Out module\n\
serves the file type DATA: text files of keyed records, one a line. The package holds the\n\
host libraries, the contract headers, a CMake package and a pkg-config file for embedders,\n\
and the manual page ombra(1).")
include(CPack)
