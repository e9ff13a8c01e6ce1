# Installing the SDK and packing it: the library (with a versioned SONAME on
# Linux; programs still link libTavrinSdk_860VX_RUX.so), the public headers,
# the `tavrin` tool, the Python package, the docs, a pkg-config file and a
# CMake package giving the imported target Tavrin::Sdk. CPack makes a .deb
# (Linux) or a zip (Windows, with an import library for MinGW and MSVC).
# The docs folder carries the Debian package's name.
set(CMAKE_INSTALL_DOCDIR share/doc/tavrin-sdk)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TAVRIN_LIBRARY_NAME TavrinSdk_860VX_RUX)

set(TAVRIN_PUBLIC_HEADER_DIR ${PROJECT_SOURCE_DIR}/include)
set(TAVRIN_PUBLIC_HEADERS ${TAVRIN_PUBLIC_HEADER_DIR}/TavrinSdk.h ${TAVRIN_PUBLIC_HEADER_DIR}/TavrinSim.h
    ${TAVRIN_PUBLIC_HEADER_DIR}/TavrinEx.h)
if(NOT WIN32)
  list(APPEND TAVRIN_PUBLIC_HEADERS ${TAVRIN_PUBLIC_HEADER_DIR}/TavrinPosix.h)
endif()

if(NOT WIN32)
  set_target_properties(TavrinSdk PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  # The installed tool finds the installed library wherever the prefix is.
  set_target_properties(tavrin PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()

install(TARGETS TavrinSdk
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(TARGETS tavrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
# The dialogs' GTK view goes beside the library, where the library looks for
# it when the first dialog opens.
if(TARGET TavrinSdkGtk)
  install(TARGETS TavrinSdkGtk LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
endif()
# The viewer (built where GTK 3 is found), with its menu entry and icon.
if(TARGET tavrin-viewer)
  set_target_properties(tavrin-viewer PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install(TARGETS tavrin-viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/viewer/tavrin-viewer.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/viewer/tavrin-viewer.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT runtime)
endif()
install(FILES ${TAVRIN_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

# An import library in the format both MinGW's and Microsoft's linkers read,
# made from the export list.
if(WIN32)
  find_program(TAVRIN_DLLTOOL NAMES ${TAVRIN_MINGW_TRIPLE}-dlltool dlltool REQUIRED)
  set(import_library ${CMAKE_BINARY_DIR}/lib/${TAVRIN_LIBRARY_NAME}.lib)
  add_custom_command(OUTPUT ${import_library}
                     COMMAND ${TAVRIN_DLLTOOL} --input-def ${PROJECT_SOURCE_DIR}/api/TavrinSdk.def
                             --dllname ${TAVRIN_LIBRARY_NAME}.dll --output-lib ${import_library}
                             --machine i386:x86-64
                     DEPENDS ${PROJECT_SOURCE_DIR}/api/TavrinSdk.def VERBATIM)
  add_custom_target(tavrin_import_library ALL DEPENDS ${import_library})
  install(FILES ${import_library} DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
endif()

# pkg-config and the CMake package, both relative to where they are installed.
set(TAVRIN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TavrinSdk)
file(RELATIVE_PATH TAVRIN_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" TAVRIN_PC_TO_PREFIX "${TAVRIN_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/TavrinSdk.pc.in ${CMAKE_BINARY_DIR}/TavrinSdk.pc @ONLY)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TavrinSdkConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/TavrinSdkConfig.cmake INSTALL_DESTINATION ${TAVRIN_CMAKE_DIR}
                              PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TavrinSdkConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TavrinSdk.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
install(FILES ${CMAKE_BINARY_DIR}/TavrinSdkConfig.cmake ${CMAKE_BINARY_DIR}/TavrinSdkConfigVersion.cmake
        DESTINATION ${TAVRIN_CMAKE_DIR} COMPONENT development)

# The Python package goes where Debian's python3 looks (and is found there
# beside the library); on Windows beside the DLL.
if(WIN32)
  set(TAVRIN_PYTHON_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(TAVRIN_PYTHON_DIR lib/python3/dist-packages)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/tavrin DESTINATION ${TAVRIN_PYTHON_DIR} COMPONENT runtime
        PATTERN __pycache__ EXCLUDE)

# Docs: the examples' sources, the guides and the API reference if built.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT development)
if(EXISTS ${PROJECT_SOURCE_DIR}/docs)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime
          PATTERN "*.1" EXCLUDE PATTERN Doxyfile.in EXCLUDE PATTERN changelog EXCLUDE PATTERN copyright EXCLUDE)
endif()
if(NOT WIN32)
  # Manual pages and the changelog are installed compressed, as Debian has them.
  find_program(TAVRIN_GZIP gzip REQUIRED)
  foreach(file docs/tavrin.1 docs/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}.gz
                       COMMAND ${TAVRIN_GZIP} -9nc ${PROJECT_SOURCE_DIR}/${file} > ${CMAKE_BINARY_DIR}/${name}.gz
                       DEPENDS ${PROJECT_SOURCE_DIR}/${file})
    list(APPEND compressed ${CMAKE_BINARY_DIR}/${name}.gz)
  endforeach()
  add_custom_target(tavrin_compressed_docs ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_BINARY_DIR}/tavrin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
  install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)

# Packages.
set(CPACK_PACKAGE_NAME tavrin-sdk)
set(CPACK_PACKAGE_VENDOR "Tavrin SDK developers")
set(CPACK_PACKAGE_CONTACT "Tavrin SDK developers <sdk@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SDK of the Tavrin 860VX-RUX USB industrial camera")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
  # dpkg-shlibdeps declares what the library and the dialog module link,
  # GTK 3 (libgtk-3-0) among them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # A shlibs file and the ldconfig trigger for the shared library.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-numpy")
  set(CPACK_PACKAGE_DESCRIPTION
      "The camera library with its C headers, the tavrin command-line tool, a Python\npackage and a simulated camera for development without hardware.")
endif()
include(CPack)

# The API reference (HTML) from the public headers' comments, when Doxygen
# is there: `cmake --build --preset default --target docs`, installed with
# the docs when it has been built. Each run starts from an empty folder, so
# that a page renamed since the last run is not installed under both names.
find_program(TAVRIN_DOXYGEN doxygen)
if(TAVRIN_DOXYGEN)
  set(TAVRIN_DOCS_OUTPUT ${CMAKE_BINARY_DIR}/docs)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${CMAKE_BINARY_DIR}/Doxyfile @ONLY)
  add_custom_target(docs COMMAND ${CMAKE_COMMAND} -E rm -rf ${TAVRIN_DOCS_OUTPUT}/api
                    COMMAND ${TAVRIN_DOXYGEN} ${CMAKE_BINARY_DIR}/Doxyfile
                    COMMENT "API reference in ${TAVRIN_DOCS_OUTPUT}/api" VERBATIM)
  install(DIRECTORY ${TAVRIN_DOCS_OUTPUT}/api DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT development OPTIONAL)
endif()

# The GStreamer plugin goes into GStreamer's plugin folder under the prefix
# (lib/<multiarch>/gstreamer-1.0, as GStreamer's pkg-config file names it),
# and finds the SDK's library in the prefix's library folder; the RTSP
# server is installed beside the tool. Both are in the .deb, whose
# dependencies on GStreamer's libraries the shlibs scan adds.
if(TARGET gsttavrin)
  pkg_get_variable(TAVRIN_GST_PREFIX gstreamer-1.0 prefix)
  pkg_get_variable(TAVRIN_GST_PLUGINS_DIR gstreamer-1.0 pluginsdir)
  file(RELATIVE_PATH TAVRIN_GST_PLUGIN_INSTALL_DIR ${TAVRIN_GST_PREFIX} ${TAVRIN_GST_PLUGINS_DIR})
  file(RELATIVE_PATH plugin_to_libdir /prefix/${TAVRIN_GST_PLUGIN_INSTALL_DIR} /prefix/${CMAKE_INSTALL_LIBDIR})
  set_target_properties(gsttavrin PROPERTIES INSTALL_RPATH "$ORIGIN/${plugin_to_libdir}")
  install(TARGETS gsttavrin LIBRARY DESTINATION ${TAVRIN_GST_PLUGIN_INSTALL_DIR} COMPONENT runtime)
  if(TARGET tavrin-rtsp-server)
    set_target_properties(tavrin-rtsp-server PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    install(TARGETS tavrin-rtsp-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  endif()
endif()
