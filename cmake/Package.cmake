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
else()
    set(CPACK_GENERATOR ZIP)
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found by no library lookup: the windows are laid out for DejaVu Sans.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "dosbox")

include(CPack)
