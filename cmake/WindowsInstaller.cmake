# Makes the installer (cmake -P, from the build): the files the ZIP holds,
# installed by the same rules into a folder of their own, listed for
# packaging/windows/Tuvano.nsi and packed by makensis.
# Variables: BUILD (the build folder), STAGE (the folder for the files),
# MAKENSIS, SCRIPT (Tuvano.nsi), VERSION, OUTPUT (the installer).
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${STAGE}/files --strip
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE _files LIST_DIRECTORIES false RELATIVE ${STAGE}/files ${STAGE}/files/*)
list(SORT _files)

# Each file in its folder; on the way out each file, then each folder it
# made, the deepest first, which goes only when it is empty; and the first
# of the files that is already in a folder.
set(_install "!macro TuvanoInstallFiles\n")
set(_remove "!macro TuvanoRemoveFiles\n")
set(_present "!macro TuvanoFirstPresent var\n")
set(_folders)
set(_size 0)
foreach(_file IN LISTS _files)
    string(REPLACE "/" "\\" _name "${_file}")
    cmake_path(GET _file PARENT_PATH _folder)
    string(REPLACE "/" "\\" _in "$INSTDIR/${_folder}")
    string(REGEX REPLACE "\\\\$" "" _in "${_in}")
    string(APPEND _install "    SetOutPath \"${_in}\"\n    File \"${STAGE}/files/${_file}\"\n")
    string(APPEND _remove "    Delete \"$INSTDIR\\${_name}\"\n")
    string(APPEND _present "    \${If} \${var} == \"\"\n    \${AndIf} \${FileExists} \"$INSTDIR\\${_name}\"\n"
                           "        StrCpy \${var} \"${_name}\"\n    \${EndIf}\n")
    while(_folder)
        list(APPEND _folders ${_folder})
        cmake_path(GET _folder PARENT_PATH _folder)
    endwhile()
    file(SIZE ${STAGE}/files/${_file} _bytes)
    math(EXPR _size "${_size} + ${_bytes}")
endforeach()
list(REMOVE_DUPLICATES _folders)
list(SORT _folders ORDER DESCENDING)
foreach(_folder IN LISTS _folders)
    string(REPLACE "/" "\\" _name "${_folder}")
    string(APPEND _remove "    RMDir \"$INSTDIR\\${_name}\"\n")
endforeach()
file(WRITE ${STAGE}/WindowsInstaller.nsh "${_install}!macroend\n${_remove}!macroend\n${_present}!macroend\n")

math(EXPR _size "(${_size} + 1023) / 1024")
execute_process(
    COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DSIZE_KB=${_size}
            -DFILES=${STAGE}/WindowsInstaller.nsh -DOUTFILE=${OUTPUT} ${SCRIPT}
    COMMAND_ERROR_IS_FATAL ANY)
