# Install layout, the macOS bundle settings and the Debian package.
#
# Installed on Linux (prefix /usr in the .deb):
#   bin/Lockleaf, bin/lockleaf-cli
#   share/lockleaf/MACLockleaf1.pdf          (the app looks in ../share/lockleaf)
#   share/applications/lockleaf.desktop      (named after the app's desktop file name)
#   share/icons/hicolor/<N>x<N>/apps/lockleaf.png
#   share/metainfo/com.corvalen.lockleaf.metainfo.xml  (launches lockleaf.desktop)
#   share/man/man1/lockleaf-cli.1.gz, share/man/man1/Lockleaf.1.gz
#   share/bash-completion/completions/lockleaf-cli
#   share/zsh/vendor-completions/_lockleaf-cli
#   share/doc/lockleaf/copyright, share/doc/lockleaf/changelog.Debian.gz
# The app's own install rule and the help document's are in the UI block of the
# top-level CMakeLists.txt; this file adds what is around them.

include(GNUInstallDirs)

set(LOCKLEAF_BUNDLE_IDENTIFIER "com.corvalen.lockleaf")
set(LOCKLEAF_ICON_SIZES 16 24 32 48 64 128 256)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(LOCKLEAF_DEB_VERSION "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

# Manual pages and the Debian changelog go in compressed the way Debian wants
# them: gzip -9, without the name and time stamp that would make builds differ.
find_program(LOCKLEAF_GZIP gzip REQUIRED)
set(LOCKLEAF_GZIPPED)
function(lockleaf_gzip source)
  add_custom_command(OUTPUT ${source}.gz
    COMMAND ${LOCKLEAF_GZIP} -9nfk ${source}
    DEPENDS ${source}
    VERBATIM)
  set(LOCKLEAF_GZIPPED ${LOCKLEAF_GZIPPED} ${source}.gz PARENT_SCOPE)
endfunction()

set(LOCKLEAF_MAN_PAGES)
if(TARGET lockleaf-cli)
  install(TARGETS lockleaf-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  list(APPEND LOCKLEAF_MAN_PAGES lockleaf-cli)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/shell/lockleaf-cli.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME lockleaf-cli)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/shell/_lockleaf-cli
    DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
endif()
if(TARGET Lockleaf AND NOT APPLE)
  list(APPEND LOCKLEAF_MAN_PAGES Lockleaf)
endif()
foreach(page IN LISTS LOCKLEAF_MAN_PAGES)
  configure_file(${CMAKE_SOURCE_DIR}/resources/man/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  lockleaf_gzip(${CMAKE_BINARY_DIR}/man/${page}.1)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

if(NOT APPLE)
  configure_file(${CMAKE_SOURCE_DIR}/resources/linux/debian/changelog.in
    ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
  lockleaf_gzip(${CMAKE_BINARY_DIR}/debian/changelog.Debian)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/linux/debian/copyright
    ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lockleaf)
endif()
add_custom_target(lockleaf_gzipped ALL DEPENDS ${LOCKLEAF_GZIPPED})

# The Info.plist template is configured here on every platform, so the display
# title it carries can be checked where no bundle can be built.
set(LOCKLEAF_INFO_PLIST ${CMAKE_BINARY_DIR}/Info.plist.in)
configure_file(${CMAKE_SOURCE_DIR}/resources/Info.plist.in ${LOCKLEAF_INFO_PLIST} @ONLY)

if(TARGET Lockleaf)
  # Bundle keys the template leaves to CMake (${MACOSX_BUNDLE_...}); ignored off macOS.
  set_target_properties(Lockleaf PROPERTIES
    MACOSX_BUNDLE_INFO_PLIST ${LOCKLEAF_INFO_PLIST}
    MACOSX_BUNDLE_BUNDLE_NAME "${LOCKLEAF_DISPLAY_TITLE}"
    MACOSX_BUNDLE_GUI_IDENTIFIER "${LOCKLEAF_BUNDLE_IDENTIFIER}"
    MACOSX_BUNDLE_SHORT_VERSION_STRING "${PROJECT_VERSION}"
    MACOSX_BUNDLE_BUNDLE_VERSION "${PROJECT_VERSION}"
    MACOSX_BUNDLE_COPYRIGHT "Corvalen")

  if(NOT APPLE)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/linux/lockleaf.desktop
      DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # The store listing; its id is the bundle identifier, its launchable the desktop file.
    install(FILES ${CMAKE_SOURCE_DIR}/resources/linux/${LOCKLEAF_BUNDLE_IDENTIFIER}.metainfo.xml
      DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(size IN LISTS LOCKLEAF_ICON_SIZES)
      # 256 is the app's own icon; the smaller ones are committed downscales of it.
      if(size EQUAL 256)
        set(icon ${CMAKE_SOURCE_DIR}/resources/icons/lockleaf.png)
      else()
        set(icon ${CMAKE_SOURCE_DIR}/resources/linux/icons/lockleaf-${size}.png)
      endif()
      install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME lockleaf.png)
    endforeach()
  endif()
endif()

# --- CPack: a .deb for Debian 12 (make package).
set(CPACK_PACKAGE_NAME "lockleaf")
set(CPACK_PACKAGE_VENDOR "Corvalen")
set(CPACK_PACKAGE_CONTACT "Corvalen <lockleaf@corvalen.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Add or remove password security on PDF documents in batches")
set(CPACK_PACKAGE_DESCRIPTION
  "Lockleaf secures PDF documents with open and permission passwords, or removes
that security, for many files at once. It comes as a desktop application and as
the lockleaf-cli command-line tool.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvalen.invalid/lockleaf")

# The platform plugins are loaded at run time, so no ELF scan can find them.
set(LOCKLEAF_DEB_RUNTIME_DEPENDS "qt6-qpa-plugins")
find_program(LOCKLEAF_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(LOCKLEAF_DPKG_SHLIBDEPS)
  # dpkg-shlibdeps reads the linked libraries off the binaries and adds them,
  # with the versions they were built against.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${LOCKLEAF_DEB_RUNTIME_DEPENDS}")
else()
  # Without dpkg-dev: the libraries the binaries link on Debian 12, by hand.
  set(deps "libc6" "libstdc++6" "libgcc-s1" "libqt6core6 (>= 6.4)" "libqpdf29 (>= 11.3)")
  if(TARGET Lockleaf)
    list(APPEND deps "libqt6gui6 (>= 6.4)" "libqt6widgets6 (>= 6.4)")
    if(TARGET Qt6::DBus AND NOT APPLE)
      list(APPEND deps "libqt6dbus6 (>= 6.4)")
    endif()
  endif()
  list(APPEND deps ${LOCKLEAF_DEB_RUNTIME_DEPENDS})
  list(JOIN deps ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
endif()

# Qt's own texts (standard buttons, the file dialog) in the user's language.
if(TARGET Lockleaf)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_SOURCE_GENERATOR "TGZ")
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")
include(CPack)

# --- The install layout test: tests/packaging, linked to no layer of the app.
if(LOCKLEAF_BUILD_TESTS AND TARGET testsupport AND EXISTS ${CMAKE_SOURCE_DIR}/tests/packaging/InstallLayoutTest.cpp)
  find_package(GTest REQUIRED)
  add_executable(packaging_InstallLayoutTest ${CMAKE_SOURCE_DIR}/tests/packaging/InstallLayoutTest.cpp)
  target_link_libraries(packaging_InstallLayoutTest PRIVATE testsupport GTest::gtest_main)
  target_compile_definitions(packaging_InstallLayoutTest PRIVATE
    LOCKLEAF_BUILD_DIR="${CMAKE_BINARY_DIR}"
    LOCKLEAF_CMAKE_COMMAND="${CMAKE_COMMAND}"
    LOCKLEAF_INFO_PLIST="${LOCKLEAF_INFO_PLIST}"
    LOCKLEAF_BUNDLE_IDENTIFIER="${LOCKLEAF_BUNDLE_IDENTIFIER}")
  set_target_properties(packaging_InstallLayoutTest PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # What it installs must exist first.
  foreach(dep lockleaf-cli Lockleaf lockleaf_help lockleaf_gzipped)
    if(TARGET ${dep})
      add_dependencies(packaging_InstallLayoutTest ${dep})
    endif()
  endforeach()
  if(TARGET Lockleaf)
    target_compile_definitions(packaging_InstallLayoutTest PRIVATE LOCKLEAF_HAVE_APP)
  endif()
  add_test(NAME packaging_InstallLayoutTest COMMAND packaging_InstallLayoutTest)
  set_tests_properties(packaging_InstallLayoutTest PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
    TIMEOUT 300)
endif()
