# The utility installed as a desktop program (`cmake --install`, any prefix),
# and a Debian package of the same tree (`cpack -G DEB`).
include(GNUInstallDirs)

set(KORVANTA_HOMEPAGE "https://korvanta.example.org" CACHE STRING
    "The project's web address: the home page and the screenshots of the AppStream metadata")
set(KORVANTA_CONTACT "KORVAN-TA utility maintainers <maintainers@korvanta.example.org>" CACHE STRING
    "The maintainer named in the Debian package")

set(res ${CMAKE_SOURCE_DIR}/resources)
foreach(page korvanta korvanta-sim)
  configure_file(${res}/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
endforeach()
configure_file(${res}/${KORVANTA_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${KORVANTA_APP_ID}.metainfo.xml @ONLY)

install(TARGETS korvanta korvanta-cli korvanta-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for its help files in share/korvanta/ beside its bin/.
install(FILES ${res}/korvanta.hlp ${res}/korvanta_en.hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/korvanta)
install(FILES ${res}/${KORVANTA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${res}/${KORVANTA_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/${KORVANTA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/man/korvanta.1 ${CMAKE_BINARY_DIR}/man/korvanta-sim.1
        ${CMAKE_SOURCE_DIR}/cli/korvanta-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Written by the build from the settings' tables (profile/).
install(FILES ${CMAKE_BINARY_DIR}/man/korvanta-profile.5 DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)

set(CPACK_PACKAGE_NAME korvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KORVANTA_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "settings utility for the KORVAN-TA ISDN terminal adapter")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads and writes the settings of a KORVAN-TA ISDN terminal adapter on a serial port (Japanese user interface), with a simulated adapter for trying it out.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KORVANTA_HOMEPAGE}")
# The libraries come from dpkg-shlibdeps; the window system's plugins are
# loaded at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n")
include(CPack)
