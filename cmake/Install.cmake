# The program installed like a Linux desktop program: the executables in bin/, what the
# program ships (report templates, sample templates, the icon) in share/vornelta/, the
# desktop entry and the icon where the desktop looks for them; `cpack -G DEB` makes the
# Debian package from the same rules.
include(GNUInstallDirs)

install(TARGETS vornelta dorod vornelta-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vornelta-report)
  install(TARGETS vornelta-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The program finds resources/ beside its executable in the build tree, and
# ../share/vornelta installed (platform/ProgramFolder: shippedFolder).
if(EXISTS ${CMAKE_SOURCE_DIR}/resources AND NOT EXISTS ${CMAKE_BINARY_DIR}/resources)
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/resources SYMBOLIC)
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vornelta)

install(FILES ${CMAKE_SOURCE_DIR}/packaging/vornelta.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/vornelta.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/vornelta-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vornelta.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornelta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vornelta")
set(CPACK_PACKAGE_CONTACT "Vornelta developers <vornelta@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "TV channel advertising desk: running-line announcements, prices, daily texts")
set(CPACK_PACKAGE_DESCRIPTION
    "Takes paid running-line announcements, prices and stores them in its own table files, and writes each broadcast day's texts for the studio's titling systems. Russian interface. Also installs dorod, the table files' command-line tool.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads these at run time, so dpkg-shlibdeps cannot see them: the X11/Wayland platform
# plugins, and the Russian texts of the standard buttons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-dejavu-core")
# Receipts print through CUPS; "Просмотр" opens the day's texts in a word processor.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups, libreoffice-writer")
include(CPack)
