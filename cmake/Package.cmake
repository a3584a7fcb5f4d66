# `make package`: the install rules (cmake/Install.cmake) as a Debian package,
# build/puckdex_<version>_<arch>.deb. Its library dependencies are read from
# the programs themselves by dpkg-shlibdeps (from dpkg-dev), so they follow
# whatever Qt the build linked.
set(CPACK_PACKAGE_NAME puckdex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Puckdex developers")
set(CPACK_PACKAGE_CONTACT "The Puckdex developers <puckdex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "roster editor for the 1995 game NHL 96")
# Lines of at most 80 characters, as the control file wants them; CPack indents them.
set(CPACK_PACKAGE_DESCRIPTION [=[
Puckdex opens the roster files of the DOS game NHL 96, either the base rosters
or a saved game, and edits any player: name, jersey number, position, height,
weight, rookie flag, hand and every rating the game keeps. Entries are kept on
the game's own limits and step grids, each player is written back in place,
and every byte the editor does not show stays as it was. Two rating templates
fill a skater's or goalie's ratings in one click, and backup copies of the
game files can be made at every start.

The package also holds puckdex-cli, which lists, exports, imports and checks
rosters from the command line. No game data is included.]=])

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
else()
    # `make windows-zip`: one folder, unpacked anywhere and run from there.
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME puckdex-${PROJECT_VERSION}-windows-x64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps that section for games themselves (in /usr/games),
# and Puckdex is a tool that edits a game's files.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found by no library lookup: the windows are laid out for DejaVu Sans.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# xdg-open, with which F1 opens the user guide in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "dosbox")

# What every Debian package carries beside its files, and a plain install
# does not: the copyright file (machine-readable, dist/copyright) and the
# changelog, gzipped without a time stamp. The package is native (its version
# has no Debian revision), so the changelog is changelog.gz; its newest entry
# takes the version from project(). These go into the package's own
# component, which `cmake --install` leaves out and CPack installs as well.
if(UNIX AND NOT APPLE)
    set(debian_dir ${CMAKE_BINARY_DIR}/debian)
    file(MAKE_DIRECTORY ${debian_dir})
    configure_file(${PROJECT_SOURCE_DIR}/dist/changelog.in ${debian_dir}/changelog @ONLY)
    puckdex_gzip(${debian_dir}/changelog ${debian_dir}/changelog.gz)
    install(FILES ${PROJECT_SOURCE_DIR}/dist/copyright ${debian_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/puckdex
        COMPONENT debian EXCLUDE_FROM_ALL)
    set(CPACK_INSTALL_CMAKE_PROJECTS
        "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
        "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
endif()

include(CPack)
