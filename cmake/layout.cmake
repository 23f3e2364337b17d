# The installed layout, with the GNU install directories (all relative to the prefix):
#   bin/ombra                                   the script host
#   LIBDIR/libhost_*.so                         the host libraries
#   LIBDIR/ombra/extensions/*.so                the extension modules ombra loads by default
#   INCLUDEDIR/ombra/host/...                   the contract headers, for embedders and modules
#   LIBDIR/cmake/Ombra, LIBDIR/pkgconfig        the SDK's CMake package and pkg-config file
#   MANDIR/man1, man5; DOCDIR                   the manual pages, the README and the language
# The build tree keeps the same relative places for ombra and the modules, so one relative path
# leads from the executable to its modules in both, and a relocated prefix keeps working.
set(CMAKE_INSTALL_DOCDIR share/doc/ombra CACHE PATH "Documentation folder")
include(GNUInstallDirs)
foreach(dir BINDIR LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the prefix, "
                        "so that installed programs find what lies beside them")
  endif()
endforeach()

set(OMBRA_INSTALL_EXTENSIONSDIR ${CMAKE_INSTALL_LIBDIR}/ombra/extensions)
set(OMBRA_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/ombra)
set(OMBRA_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Ombra)

# The paths that lead from one installed folder to another, for run paths and for ombra's
# default extensions folder.
file(RELATIVE_PATH OMBRA_BIN_TO_EXTENSIONS
     /${CMAKE_INSTALL_BINDIR} /${OMBRA_INSTALL_EXTENSIONSDIR})
file(RELATIVE_PATH OMBRA_BIN_TO_LIB /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
file(RELATIVE_PATH OMBRA_EXTENSIONS_TO_LIB /${OMBRA_INSTALL_EXTENSIONSDIR} /${CMAKE_INSTALL_LIBDIR})
string(REGEX REPLACE "/$" "" OMBRA_EXTENSIONS_TO_LIB "${OMBRA_EXTENSIONS_TO_LIB}")
file(RELATIVE_PATH OMBRA_EXTENSIONS_TO_BIN /${OMBRA_INSTALL_EXTENSIONSDIR} /${CMAKE_INSTALL_BINDIR})
