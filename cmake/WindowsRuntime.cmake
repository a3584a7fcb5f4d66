# The Windows build: what goes beside puckdex.exe so that it runs where it is,
# in the build folder (the tests under Wine) and from the unpacked zip. Qt's
# DLLs, its platform and style plugins, and the MinGW runtime are copied into
# the build's bin/ when they differ, and installed beside the programs
# stripped (the zip of `make windows-zip` is the install tree).
if(NOT WIN32)
    return()
endif()

get_target_property(_qtcore_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT _qtcore_dll)
    get_target_property(_qtcore_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(_qt_bin "${_qtcore_dll}" DIRECTORY)
get_filename_component(_qt_plugins "${_qt_bin}/../plugins" ABSOLUTE)

set(_qt_dlls Qt6Core Qt6Gui Qt6Widgets Qt6Network)
# The tests only: the test library and the platforms they run on.
set(_test_dlls ${_qt_bin}/Qt6Test.dll)
set(_test_plugins platforms/qoffscreen.dll platforms/qminimal.dll)
set(_shipped_plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll)

set(_runtime_dlls "")
foreach(name ${_qt_dlls})
    list(APPEND _runtime_dlls ${_qt_bin}/${name}.dll)
endforeach()
foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
        OUTPUT_VARIABLE _dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${_dll}" OR NOT EXISTS "${_dll}")
        message(FATAL_ERROR "the MinGW runtime ${name} was not found beside ${CMAKE_CXX_COMPILER}")
    endif()
    list(APPEND _runtime_dlls ${_dll})
endforeach()

set(_bin ${CMAKE_BINARY_DIR}/bin)
file(MAKE_DIRECTORY "${_bin}")
foreach(dll ${_runtime_dlls} ${_test_dlls})
    get_filename_component(_name "${dll}" NAME)
    file(COPY_FILE "${dll}" "${_bin}/${_name}" ONLY_IF_DIFFERENT)
endforeach()
foreach(plugin ${_shipped_plugins} ${_test_plugins})
    get_filename_component(_folder "${plugin}" DIRECTORY)
    file(MAKE_DIRECTORY "${_bin}/${_folder}")
    file(COPY_FILE "${_qt_plugins}/${plugin}" "${_bin}/${plugin}" ONLY_IF_DIFFERENT)
endforeach()

# The zip: the programs, these DLLs and plugins, the licence, README and the
# user guide page, all in one folder. The DLLs are stripped once installed.
install(FILES ${_runtime_dlls} DESTINATION .)
foreach(plugin ${_shipped_plugins})
    get_filename_component(_folder "${plugin}" DIRECTORY)
    install(FILES "${_qt_plugins}/${plugin}" DESTINATION ${_folder})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
# The guide as a page, beside the programs where F1 finds it.
if(PUCKDEX_GUIDE_PAGE)
    install(FILES ${PUCKDEX_GUIDE_PAGE} DESTINATION .)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION .
    FILES_MATCHING PATTERN "*.png")
install(CODE "
    file(GLOB_RECURSE _dlls \"\${CMAKE_INSTALL_PREFIX}/*.dll\")
    foreach(dll \${_dlls})
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\"
            RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR \"strip \${dll}: \${status}\")
        endif()
    endforeach()
")
