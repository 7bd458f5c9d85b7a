# The Windows build: Debian's MinGW-w64 with Qt for Windows from the cache
# that scripts/windows-qt fills. The folder is TUVANO_WINDOWS_QT when given
# (cache variable or environment), else what scripts/windows-qt --check says;
# configuring never builds Qt itself, which takes half an hour.
if(NOT TUVANO_WINDOWS_QT)
    if(DEFINED ENV{TUVANO_WINDOWS_QT} AND NOT "$ENV{TUVANO_WINDOWS_QT}" STREQUAL "")
        set(TUVANO_WINDOWS_QT "$ENV{TUVANO_WINDOWS_QT}")
    else()
        execute_process(
            COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows-qt --check
            OUTPUT_VARIABLE TUVANO_WINDOWS_QT OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE _found)
        if(NOT _found EQUAL 0)
            message(FATAL_ERROR "No Qt for Windows yet: run scripts/windows-qt once "
                                "(about half an hour on two cores), then configure again.")
        endif()
    endif()
    # try_compile() reads this file again in a project of its own.
    set(ENV{TUVANO_WINDOWS_QT} "${TUVANO_WINDOWS_QT}")
endif()
set(TUVANO_WINDOWS_QT "${TUVANO_WINDOWS_QT}" CACHE PATH "Qt for Windows (scripts/windows-qt)")

# Qt's toolchain file loads the one Qt was built with from where that
# checkout was; this checkout's own copy is the same file.
set(QT_CHAINLOAD_TOOLCHAIN_FILE "${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
include("${TUVANO_WINDOWS_QT}/lib/cmake/Qt6/qt.toolchain.cmake")
