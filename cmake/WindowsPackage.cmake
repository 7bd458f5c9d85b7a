# What a user unzips into Lexaro's folder: the program, the DLLs and the
# plugins it needs (found by CMake from the program itself, not listed by
# hand), a text on installing, and the licences of what is shipped with it,
# its own included. scripts/package-windows makes the ZIP with CPack; the
# build makes the installer of the same files with NSIS.
if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
    return()
endif()

# The DLLs are looked for where the build finds them; whatever Wine's own
# Windows folder resolves is part of Windows and stays out.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
find_program(TUVANO_MINGW_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND ${TUVANO_MINGW_OBJDUMP})
find_path(TUVANO_WINE_WINDOWS kernel32.dll
    PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
    REQUIRED)

set(_qt_plugins ${TUVANO_WINDOWS_QT}/plugins)
install(TARGETS tuvano RUNTIME DESTINATION .)
# Qt loads its platform plugin (and the style that makes the widgets look
# like Windows' own) from these folders beside the program.
set(_plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll)

# Windows' names are blind to case, and the import tables name Qt6Core.dll
# as it comes; CMake compares them in lower case, this file system does not.
# So the DLLs are looked up through lower-case links, and the files the
# links lead to are what is installed.
set(_names ${CMAKE_BINARY_DIR}/dll-names)
file(REMOVE_RECURSE ${_names})
file(MAKE_DIRECTORY ${_names})
foreach(_folder IN LISTS TUVANO_WINDOWS_DLL_FOLDERS)
    file(GLOB _dlls ${_folder}/*.dll)
    foreach(_dll IN LISTS _dlls)
        cmake_path(GET _dll FILENAME _name)
        string(TOLOWER ${_name} _lower)
        if(NOT EXISTS ${_names}/${_lower})
            file(CREATE_LINK ${_dll} ${_names}/${_lower} SYMBOLIC)
        endif()
    endforeach()
endforeach()
install(CODE "
    file(GET_RUNTIME_DEPENDENCIES
        EXECUTABLES \"$<TARGET_FILE:tuvano>\"
        MODULES ${_qt_plugins}/platforms/qwindows.dll ${_qt_plugins}/styles/qwindowsvistastyle.dll
        DIRECTORIES ${_names} ${TUVANO_WINE_WINDOWS}
        PRE_EXCLUDE_REGEXES \"^api-ms-\" \"^ext-ms-\"
        POST_EXCLUDE_REGEXES \"^${TUVANO_WINE_WINDOWS}/\"
        RESOLVED_DEPENDENCIES_VAR _found
        UNRESOLVED_DEPENDENCIES_VAR _missing)
    if(_missing)
        message(FATAL_ERROR \"No DLL found for: \${_missing}\")
    endif()
    set(_shipped)
    foreach(_dll IN LISTS _found)
        file(REAL_PATH \${_dll} _file)
        file(INSTALL \${_file} DESTINATION \${CMAKE_INSTALL_PREFIX})
        cmake_path(GET _file FILENAME _name)
        list(APPEND _shipped \${CMAKE_INSTALL_PREFIX}/\${_name})
    endforeach()
    foreach(_plugin ${_plugins})
        cmake_path(GET _plugin PARENT_PATH _folder)
        file(INSTALL ${_qt_plugins}/\${_plugin} DESTINATION \${CMAKE_INSTALL_PREFIX}/\${_folder})
        list(APPEND _shipped \${CMAKE_INSTALL_PREFIX}/\${_plugin})
    endforeach()
    # The DLLs come with their symbol tables, which only a debugger reads.
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded \${_shipped} COMMAND_ERROR_IS_FATAL ANY)
    endif()")

set(_licences ${TUVANO_WINDOWS_QT}/share/licences)
set(VERSION ${PROJECT_VERSION})
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/Installera.txt.in
    ${CMAKE_BINARY_DIR}/Installera.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/Installera.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION licenser RENAME Lexaro-Tuvano-LICENSE.txt)
install(FILES
    ${PROJECT_SOURCE_DIR}/packaging/windows/Licenser.txt
    ${_licences}/LGPL-3.0-only.txt
    ${_licences}/GPL-2.0-only.txt
    ${_licences}/GPL-3.0-only.txt
    ${_licences}/SOURCE-VERSION
    ${PROJECT_SOURCE_DIR}/scripts/windows-qt
    ${PROJECT_SOURCE_DIR}/cmake/mingw-w64.cmake
    DESTINATION licenser)
install(FILES ${_licences}/copyright DESTINATION licenser RENAME Qt-copyright.txt)
install(FILES /usr/share/doc/mingw-w64-common/copyright
    DESTINATION licenser RENAME MinGW-w64-copyright.txt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright
    DESTINATION licenser RENAME GCC-runtime-copyright.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tuvano)
set(CPACK_PACKAGE_FILE_NAME Tuvano-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)

# The installer, Tuvano-<version>-setup.exe, made whenever the program
# changes: its test runs it under Wine.
find_program(TUVANO_MAKENSIS makensis)
if(TUVANO_MAKENSIS)
    set(TUVANO_SETUP ${CMAKE_BINARY_DIR}/Tuvano-${PROJECT_VERSION}-setup.exe)
    set(_nsis ${PROJECT_SOURCE_DIR}/packaging/windows/Tuvano.nsi)
    add_custom_command(OUTPUT ${TUVANO_SETUP}
        COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DSTAGE=${CMAKE_BINARY_DIR}/setup
                -DMAKENSIS=${TUVANO_MAKENSIS} -DSCRIPT=${_nsis} -DVERSION=${PROJECT_VERSION}
                -DOUTPUT=${TUVANO_SETUP} -P ${PROJECT_SOURCE_DIR}/cmake/WindowsInstaller.cmake
        DEPENDS tuvano ${_nsis} ${PROJECT_SOURCE_DIR}/cmake/WindowsInstaller.cmake
                ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/windows/Licenser.txt
                ${PROJECT_SOURCE_DIR}/packaging/windows/Installera.txt.in
        COMMENT "Making the installer"
        VERBATIM)
    add_custom_target(setup ALL DEPENDS ${TUVANO_SETUP})
else()
    message(STATUS "makensis not found (Debian: nsis): no installer")
endif()
