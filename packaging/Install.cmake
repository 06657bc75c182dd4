# Installation and the Debian package.
#
#   cmake --install build [--prefix DIR]   the game under DIR (default /usr/local)
#   cd build && cpack -G DEB               zelkora_<version>_<arch>.deb and
#                                          zelkora-board_<version>_<arch>.deb, into /usr
#
# Layout below the prefix, as Debian lays out games:
#   games/zelkora                 the launcher the player starts (on PATH)
#   lib/games/zelkora/zelkora     the program; not on PATH, since it only runs from a directory
#                                 holding its data, which the launcher prepares
#   share/games/zelkora/          texture/, mesh/, sounds/ and the default zelkora.ini
#   share/applications/zelkora.desktop, share/icons/hicolor/<size>/apps/zelkora.png
#   share/man/man6/zelkora.6.gz
#   share/doc/zelkora/copyright, changelog.gz     what Debian asks of every package
#   share/metainfo/io.github.zelkora.metainfo.xml the AppStream entry software centres show
#   share/mime/packages/zelkora.xml the replays' file type, which the desktop entry opens; dpkg's
#                                 trigger on that folder has shared-mime-info update its cache
# All paths are relative to the prefix, so the launcher finds the rest from its own place.
#
# The board's package, from the component "board", always under /usr:
#   sbin/zelkora-board            a daemon and the operator's remove command, so sbin and man8
#   lib/systemd/system/zelkora-board.service
#   lib/systemd/system/zelkora-board-backup.timer and .service   a daily copy, enabled by hand
#   share/man/man8/zelkora-board.8.gz
#   share/doc/zelkora-board/copyright, changelog.gz

set(ZELKORA_VERSION ${PROJECT_VERSION})
set(ZELKORA_INSTALL_GAMES_DIR games CACHE STRING "Launcher directory, under the prefix")
set(ZELKORA_INSTALL_PROGRAM_DIR lib/games/zelkora CACHE STRING
    "Program directory, under the prefix")
set(ZELKORA_INSTALL_DATA_DIR share/games/zelkora CACHE STRING "Data directory, under the prefix")
foreach(dir ZELKORA_INSTALL_GAMES_DIR ZELKORA_INSTALL_PROGRAM_DIR ZELKORA_INSTALL_DATA_DIR)
    if(IS_ABSOLUTE "${${dir}}")
        message(FATAL_ERROR "${dir} must be relative to the install prefix, not ${${dir}}")
    endif()
endforeach()

# The launcher, with the way from its own directory to the program and the data written in.
file(RELATIVE_PATH ZELKORA_LAUNCHER_TO_PROGRAM /prefix/${ZELKORA_INSTALL_GAMES_DIR}
    /prefix/${ZELKORA_INSTALL_PROGRAM_DIR}/zelkora)
file(RELATIVE_PATH ZELKORA_LAUNCHER_TO_DATA /prefix/${ZELKORA_INSTALL_GAMES_DIR}
    /prefix/${ZELKORA_INSTALL_DATA_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/zelkora.in ${CMAKE_BINARY_DIR}/packaging/zelkora @ONLY)

# The manual page, compressed as Debian wants it (-n: no name or time inside, same bytes always).
set(ZELKORA_MAN_PAGE ${CMAKE_BINARY_DIR}/packaging/zelkora.6.gz)
add_custom_command(
    OUTPUT ${ZELKORA_MAN_PAGE}
    COMMAND sh -c "gzip -9n -c '${CMAKE_CURRENT_LIST_DIR}/zelkora.6' > '${ZELKORA_MAN_PAGE}'"
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/zelkora.6
    COMMENT "Compressing the manual page"
    VERBATIM)
add_custom_target(zelkora_man_page ALL DEPENDS ${ZELKORA_MAN_PAGE})
set(ZELKORA_BOARD_MAN_PAGE ${CMAKE_BINARY_DIR}/packaging/zelkora-board.8.gz)
add_custom_command(
    OUTPUT ${ZELKORA_BOARD_MAN_PAGE}
    COMMAND sh -c
        "gzip -9n -c '${CMAKE_CURRENT_LIST_DIR}/zelkora-board.8' > '${ZELKORA_BOARD_MAN_PAGE}'"
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/zelkora-board.8
    COMMENT "Compressing the board's manual page"
    VERBATIM)
add_custom_target(zelkora_board_man_page ALL DEPENDS ${ZELKORA_BOARD_MAN_PAGE})

# The changelog, compressed the same way.
set(ZELKORA_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
    OUTPUT ${ZELKORA_CHANGELOG}
    COMMAND sh -c "gzip -9n -c '${CMAKE_CURRENT_LIST_DIR}/changelog' > '${ZELKORA_CHANGELOG}'"
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
    COMMENT "Compressing the changelog"
    VERBATIM)
add_custom_target(zelkora_changelog ALL DEPENDS ${ZELKORA_CHANGELOG})

# One named component, so that a partial install (the tests' `cmake --install --component game`)
# writes its own install_manifest_game.txt and leaves the player's install_manifest.txt alone.
install(TARGETS zelkora RUNTIME DESTINATION ${ZELKORA_INSTALL_PROGRAM_DIR} COMPONENT game)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/zelkora
    DESTINATION ${ZELKORA_INSTALL_GAMES_DIR} COMPONENT game)
install(DIRECTORY ${ZELKORA_GAME_DIR}/texture ${ZELKORA_GAME_DIR}/mesh ${ZELKORA_GAME_DIR}/sounds
    DESTINATION ${ZELKORA_INSTALL_DATA_DIR} COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/zelkora.ini DESTINATION ${ZELKORA_INSTALL_DATA_DIR}
    COMPONENT game)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/zelkora.desktop DESTINATION share/applications
    COMPONENT game)
foreach(size ${ZELKORA_ICON_SIZES})
    install(FILES ${ZELKORA_ICON_DIR}/${size}x${size}/zelkora.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT game)
endforeach()
install(FILES ${ZELKORA_MAN_PAGE} DESTINATION share/man/man6 COMPONENT game)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${ZELKORA_CHANGELOG}
    DESTINATION share/doc/zelkora COMPONENT game)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/io.github.zelkora.metainfo.xml
    DESTINATION share/metainfo COMPONENT game)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/zelkora-replay.xml DESTINATION share/mime/packages
    RENAME zelkora.xml COMPONENT game)

# The board. Its unit and its default checker name the paths of the packages, under /usr, so it
# is left out of a plain `cmake --install` (the game alone, under any prefix) and installed
# only by name: cpack, or `cmake --install build --component board --prefix /usr`.
install(TARGETS zelkora-board RUNTIME DESTINATION sbin COMPONENT board EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/zelkora-board.service
    ${CMAKE_CURRENT_LIST_DIR}/zelkora-board-backup.service
    ${CMAKE_CURRENT_LIST_DIR}/zelkora-board-backup.timer
    DESTINATION lib/systemd/system COMPONENT board EXCLUDE_FROM_ALL)
install(FILES ${ZELKORA_BOARD_MAN_PAGE} DESTINATION share/man/man8 COMPONENT board
    EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${ZELKORA_CHANGELOG}
    DESTINATION share/doc/zelkora-board COMPONENT board EXCLUDE_FROM_ALL)

# Whoever builds the package signs it as its maintainer.
set(ZELKORA_PACKAGE_MAINTAINER "Zelkora developers <zelkora@users.noreply.github.com>" CACHE
    STRING "The Debian package's Maintainer field: a name and an e-mail address")

set(CPACK_PACKAGE_NAME zelkora)
set(CPACK_PACKAGE_VERSION ${ZELKORA_VERSION})
set(CPACK_PACKAGE_VENDOR "Zelkora developers")
set(CPACK_PACKAGE_CONTACT "${ZELKORA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZELKORA_PACKAGE_MAINTAINER}")
# Each package's description, its summary the first line; lines kept short, as dpkg shows them.
# No CPACK_PACKAGE_DESCRIPTION_SUMMARY: cpack would put it before both.
string(CONCAT CPACK_DEBIAN_GAME_DESCRIPTION
    "3-D tunnel racing shooter\n"
    "Fly a ship along a long, randomly generated, textured tunnel, shoot the\n"
    "enemy craft that hover, spin or chase you, and race the clock from the\n"
    "start mark to the finish mark. Drawn with OpenGL through freeglut; sound\n"
    "mixed with SDL2_mixer.")
string(CONCAT CPACK_DEBIAN_BOARD_DESCRIPTION
    "Zelkora board: checks submitted runs and ranks them\n"
    "An HTTP service that takes the replays Zelkora records, has the game fly\n"
    "each again to check it against the game's rules, and ranks every world\n"
    "and every day's world, as JSON and as web pages. SQLite on one machine;\n"
    "a systemd unit runs it in a sandbox.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The runtime libraries come from dpkg-shlibdeps (dpkg-dev) with their minimum versions; without
# it, the Debian 12 packages that hold the libraries the program links.
find_program(ZELKORA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZELKORA_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, libgl1, "
        "libglu1-mesa, libglut3.12, libx11-6, libsdl2-2.0-0, libsdl2-mixer-2.0-0, libpng16-16")
endif()
# The board checks runs with the game of its own version: a run is refused unless recorded by
# the board's version, so the two go together exactly.
set(CPACK_DEBIAN_BOARD_PACKAGE_DEPENDS "zelkora (= ${ZELKORA_VERSION})")
if(NOT ZELKORA_DPKG_SHLIBDEPS)
    string(APPEND CPACK_DEBIAN_BOARD_PACKAGE_DEPENDS ", libc6, libgcc-s1, libstdc++6, libgl1, "
        "libglu1-mesa, zlib1g, libsqlite3-0, libpqxx-6.4, libssl3")
endif()
# One package a component; installed by component, cpack too leaves install_manifest.txt alone.
set(CPACK_COMPONENTS_ALL game board)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME zelkora)
set(CPACK_DEBIAN_BOARD_PACKAGE_NAME zelkora-board)
set(CPACK_GENERATOR DEB)
include(CPack)

# A check of a replay (--verify) started outside the game's directory finds the installed data
# this way from the program.
file(RELATIVE_PATH ZELKORA_PROGRAM_TO_DATA /prefix/${ZELKORA_INSTALL_PROGRAM_DIR}
    /prefix/${ZELKORA_INSTALL_DATA_DIR})
target_compile_definitions(zelkora PRIVATE ZELKORA_PROGRAM_TO_DATA="${ZELKORA_PROGRAM_TO_DATA}")
