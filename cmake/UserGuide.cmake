# The user guide as a web page the system opens with a double-click or from
# F1: docs/user-guide.md made into share/doc/puckdex/user-guide.html in the
# build tree, beside copies of its pictures, by cmark-gfm (the Markdown of
# GitHub, tables included). The programs find it there from bin/, as they
# find an installed copy (cmake/Install.cmake, cmake/WindowsRuntime.cmake).
find_program(PUCKDEX_CMARK_GFM cmark-gfm)
if(NOT PUCKDEX_CMARK_GFM)
    message(WARNING "cmark-gfm was not found, so the user guide is not made into a page and "
                    "F1 says it is missing (tools/install-deps.sh installs it)")
    return()
endif()

set(PUCKDEX_GUIDE_PAGE ${CMAKE_BINARY_DIR}/share/doc/puckdex/user-guide.html)
file(GLOB _guide_pictures CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/images/*.png)
add_custom_command(OUTPUT ${PUCKDEX_GUIDE_PAGE}
    COMMAND ${CMAKE_COMMAND} -DCMARK_GFM=${PUCKDEX_CMARK_GFM}
            -DSOURCE=${PROJECT_SOURCE_DIR}/docs/user-guide.md -DPAGE=${PUCKDEX_GUIDE_PAGE}
            -P ${PROJECT_SOURCE_DIR}/cmake/GuidePage.cmake
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_guide_pictures}
            ${CMAKE_BINARY_DIR}/share/doc/puckdex/images
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/user-guide.md ${PROJECT_SOURCE_DIR}/cmake/GuidePage.cmake
            ${_guide_pictures}
    COMMENT "Making the user guide into a page"
    VERBATIM)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/share/doc/puckdex/images)
add_custom_target(user_guide ALL DEPENDS ${PUCKDEX_GUIDE_PAGE})
# Made with the program, so that F1 finds it after `make run` too, which
# builds the programs alone.
if(TARGET puckdex)
    add_dependencies(puckdex user_guide)
endif()
