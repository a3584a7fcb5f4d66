# Cross-builds Puckdex for Windows x86_64 on Debian with mingw-w64 (the posix
# threading variant, which Qt 6's std::thread and std::mutex need), against a
# Qt built the same way. tools/windows/build.sh passes it; by hand:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake \
#         -DPUCKDEX_QT_WINDOWS=/path/to/qt6-mingw
#
# Qt's host tools (moc, uic, rcc) come from Debian's qt6-base-dev-tools, the
# same version, in /usr.

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# The Qt for Windows to build against; try_compile runs see it too.
if(NOT PUCKDEX_QT_WINDOWS AND DEFINED ENV{PUCKDEX_QT_WINDOWS})
    set(PUCKDEX_QT_WINDOWS "$ENV{PUCKDEX_QT_WINDOWS}")
endif()
if(NOT EXISTS "${PUCKDEX_QT_WINDOWS}/lib/cmake/Qt6/Qt6Config.cmake")
    message(FATAL_ERROR "PUCKDEX_QT_WINDOWS (\"${PUCKDEX_QT_WINDOWS}\") is not a Qt 6 for "
                        "Windows: tools/windows/find-qt.sh finds or builds one")
endif()
set(PUCKDEX_QT_WINDOWS "${PUCKDEX_QT_WINDOWS}" CACHE PATH "Qt 6 built for Windows x86_64")
set(ENV{PUCKDEX_QT_WINDOWS} "${PUCKDEX_QT_WINDOWS}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PUCKDEX_QT_WINDOWS)

list(PREPEND CMAKE_FIND_ROOT_PATH "${PUCKDEX_QT_WINDOWS}")
list(PREPEND CMAKE_PREFIX_PATH "${PUCKDEX_QT_WINDOWS}/lib/cmake")
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

# CTest runs the suites under Wine (see tools/windows/wine-run.sh).
get_filename_component(_puckdex_source "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR /bin/sh "${_puckdex_source}/tools/windows/wine-run.sh"
    CACHE STRING "")
