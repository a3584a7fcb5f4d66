# What `cmake --install` puts in place: the programs and, on freedesktop
# systems, the entries that list Puckdex among the desktop's games. The Debian
# package (cmake/Package.cmake) is made of exactly these files.
include(GNUInstallDirs)

# The one name desktops know the program by: the .desktop entry, the AppStream
# component and the icon all carry it.
set(PUCKDEX_APP_ID io.github.puckdex.puckdex)

# On Windows the programs sit at the top of the unpacked zip, beside their
# DLLs (cmake/WindowsRuntime.cmake).
set(puckdex_bindir ${CMAKE_INSTALL_BINDIR})
if(WIN32)
    set(puckdex_bindir .)
endif()
install(TARGETS puckdex
    RUNTIME DESTINATION ${puckdex_bindir}
    BUNDLE DESTINATION .
)
if(TARGET puckdex-cli)
    install(TARGETS puckdex-cli RUNTIME DESTINATION ${puckdex_bindir})
endif()

# puckdex_gzip(SOURCE PACKED): PACKED becomes SOURCE compressed as Debian
# wants it, at the highest level and without a time stamp.
function(puckdex_gzip source packed)
    execute_process(COMMAND gzip -9 -n -c ${source}
        OUTPUT_FILE ${packed} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip ${source}: ${status}")
    endif()
endfunction()

if(UNIX AND NOT APPLE)
    set(dist ${PROJECT_SOURCE_DIR}/dist)
    install(FILES ${dist}/${PUCKDEX_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # The metainfo's newest release and the manual pages' titles carry the
    # version of project(); the build folder holds the filled-in copies.
    set(metainfo ${CMAKE_BINARY_DIR}/dist/${PUCKDEX_APP_ID}.metainfo.xml)
    configure_file(${dist}/${PUCKDEX_APP_ID}.metainfo.xml.in ${metainfo} @ONLY)
    install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/puckdex.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${PUCKDEX_APP_ID}.svg)
    foreach(size 16 32 48 64 128 256)
        install(FILES ${dist}/icons/puckdex-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${PUCKDEX_APP_ID}.png)
    endforeach()

    # Debian keeps manual pages gzipped; the copies are remade whenever a
    # page changes, since CMake then configures again (configure_file sees
    # to that). gzip -n leaves the name and time out of the header, so the
    # same page always packs to the same bytes.
    set(man_pages puckdex)
    if(TARGET puckdex-cli)
        list(APPEND man_pages puckdex-cli)
    endif()
    foreach(page ${man_pages})
        set(source ${CMAKE_BINARY_DIR}/man/${page}.1)
        set(packed ${source}.gz)
        configure_file(${dist}/${page}.1.in ${source} @ONLY)
        puckdex_gzip(${source} ${packed})
        install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()

    # The user guide with its pictures, so that it reads the same offline.
    set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/puckdex)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md DESTINATION ${doc_dir})
    # The page F1 opens, found from /usr/bin as ../share/doc/puckdex.
    if(PUCKDEX_GUIDE_PAGE)
        install(FILES ${PUCKDEX_GUIDE_PAGE} DESTINATION ${doc_dir})
    endif()
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${doc_dir}
        FILES_MATCHING PATTERN "*.png")
endif()
