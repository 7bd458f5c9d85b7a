# The Windows program, cross-built here: its tests run under Wine through
# CMAKE_CROSSCOMPILING_EMULATOR, in a private prefix of the build folder.
if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
    return()
endif()

# The DLLs a program of the build needs beside Windows' own: Qt's, and
# MinGW's C++, GCC and thread runtimes.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
    OUTPUT_VARIABLE _libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
cmake_path(GET _libstdcxx PARENT_PATH TUVANO_GCC_RUNTIME)
set(TUVANO_MINGW_RUNTIME /usr/x86_64-w64-mingw32/lib)
set(TUVANO_WINDOWS_DLL_FOLDERS ${TUVANO_WINDOWS_QT}/bin ${TUVANO_GCC_RUNTIME} ${TUVANO_MINGW_RUNTIME})

set(TUVANO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
list(JOIN TUVANO_WINDOWS_DLL_FOLDERS ":" _dll_path)
# One program, no arguments: test discovery passes the emulator on as a
# single word.
set(_run ${CMAKE_BINARY_DIR}/wine-run)
file(WRITE ${_run}
    "#!/bin/sh\nexec '${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh' '${TUVANO_WINE_PREFIX}' "
    "'${_dll_path}' \"$@\"\n")
file(CHMOD ${_run} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_run})

# The tests are listed when CTest runs, not while building: building never
# starts Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Each run of CTest starts in a freshly booted prefix: CTest reads this
# before it lists the tests of any folder.
set(_reset ${CMAKE_BINARY_DIR}/wine-prefix-reset.cmake)
file(WRITE ${_reset}
    "execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh "
    "${TUVANO_WINE_PREFIX} ${_dll_path} reset)\n")
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES ${_reset})
