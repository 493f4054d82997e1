# SPDX-License-Identifier: GPL-3.0-or-later
# The utility installed as a desktop program (`cmake --install`, any prefix);
# debian/ splits the same tree into the packages korvanta-cli and korvanta.
include(GNUInstallDirs)
include(${CMAKE_SOURCE_DIR}/resources/releases.cmake)

set(KORVANTA_DEVELOPER "The KORVAN-TA settings utility developers")
set(res ${CMAKE_SOURCE_DIR}/resources)
set(app ${KORVANTA_APP_ID})

# The manual pages, each beside what it documents; NAME.SECTION.in becomes
# man/NAME.SECTION in the build (the version in its footer) and is installed
# into manSECTION.
set(KORVANTA_MAN_PAGES
  ${res}/korvanta.1.in
  ${res}/korvanta-sim.1.in
  ${CMAKE_SOURCE_DIR}/cli/korvanta-cli.1.in
  ${CMAKE_SOURCE_DIR}/link/ports/korvanta-ports.conf.5.in)
foreach(source IN LISTS KORVANTA_MAN_PAGES)
  get_filename_component(page ${source} NAME_WLE)
  string(REGEX REPLACE ".*\\." "" section ${page})
  configure_file(${source} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

korvanta_releases_xml(${CMAKE_SOURCE_DIR}/CHANGELOG.md KORVANTA_RELEASES)
# The AppStream metadata of each package: the window program's, and the
# command line's (${app}_cli), each providing its own programs.
foreach(id ${app} ${app}_cli)
  configure_file(${res}/${id}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${id}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()

install(TARGETS korvanta korvanta-cli korvanta-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# korvanta-cli's shell completion, where bash-completion, zsh and fish look.
set(completion ${CMAKE_SOURCE_DIR}/cli/completion)
install(FILES ${completion}/korvanta-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME korvanta-cli)
install(FILES ${completion}/_korvanta-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${completion}/korvanta-cli.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
# The program looks for its help files in share/korvanta/ beside its bin/.
install(FILES ${res}/korvanta.hlp ${res}/korvanta_en.hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/korvanta)
install(FILES ${res}/${app}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${res}/${app}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS KORVANTA_ICON_SIZES)
  install(FILES ${KORVANTA_ICON_DIR}/${size}/${app}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The licence notice, the copyright holders and the release notes (the Debian
# packages carry their own: debian/not-installed).
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/AUTHORS ${CMAKE_SOURCE_DIR}/CHANGELOG.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Written by the build from the settings' tables (profile/).
install(FILES ${CMAKE_BINARY_DIR}/man/korvanta-profile.5 DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)
install(FILES ${CMAKE_BINARY_DIR}/man/ja/korvanta-profile.5 DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man5)

# Everything installed, built: `cmake --build BUILD --target korvanta_installed`
# before `cmake --install BUILD` needs no whole build, in a fresh tree too.
add_custom_target(korvanta_installed DEPENDS korvanta korvanta-cli korvanta-sim korvanta_help korvanta_icons
                  korvanta_profile_man)
