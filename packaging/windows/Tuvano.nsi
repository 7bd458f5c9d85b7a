; The installer: puts what the ZIP holds into Lexaro's folder, adds a
; Start-menu entry and an entry under the installed programs, and an
; uninstaller that removes only what it put there. Made by
; cmake/WindowsInstaller.cmake, which defines VERSION, SIZE_KB, FILES (the
; lists of the files, WindowsInstaller.nsh) and OUTFILE.
;
; Silently: Tuvano-<version>-setup.exe /S /D=C:\Lexaro (the folder last,
; without quotes). It ends with exit code 2 and installs nothing in a folder
; that is not Lexaro's or that it cannot install in; the uninstaller,
; tuvano-avinstallera.exe /S, likewise while the program runs.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include "${FILES}"

!define PRODUCT "Lexaro Tuvano!"
!define PROGRAM "tuvano.exe"
!define UNINSTALLER "tuvano-avinstallera.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\LexaroTuvano"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Where an earlier installation went, else where Lexaro usually is.
InstallDir "C:\Lexaro"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
Caption "Installation av ${PRODUCT}"
UninstallCaption "Avinstallation av ${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Var Problem ; why the folder cannot take the program; empty when it can

; No questions in boxes, and so no warning on cancelling: the system names
; the buttons of a box in its own language. A box has a single OK.
!define MUI_WELCOMEPAGE_TITLE "Välkommen till installationen av ${PRODUCT}"
!define MUI_WELCOMEPAGE_TITLE_3LINES
!define MUI_WELCOMEPAGE_TEXT "${PRODUCT} låter flera personer dela en installation av Lexaro, med en egen profil för varje person.$\r$\n$\r$\nProgrammet installeras i Lexaros egen mapp, den där lexaro.exe eller lx2000.exe ligger. Profilerna hamnar också där.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_TEXT "Välj Lexaros mapp"
!define MUI_PAGE_HEADER_SUBTEXT "${PRODUCT} installeras i samma mapp som Lexaro."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Välj den mapp där Lexaro är installerat, den där lexaro.exe eller lx2000.exe ligger. Alla som ska använda ${PRODUCT} måste få skriva i mappen.$\r$\n$\r$\n$_CLICK"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Lexaros mapp"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE AcceptFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} är installerat"
!define MUI_FINISHPAGE_TITLE_3LINES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} har installerats i Lexaros mapp.$\r$\n$\r$\nStarta det från Start-menyn, under $\"${PRODUCT}$\". Den första starten lägger upp profilerna: Lexaros filer i mappen blir profilen $\"Standardprofil$\".$\r$\n$\r$\nKlicka på Slutför för att avsluta guiden."
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} tas bort ur Lexaros mapp. Profilerna (mappen profiles och filerna profiles.map och tuvano.ini) och Lexaros egna filer lämnas kvar."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Swedish"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SWEDISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "FileDescription" "Installation av ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "LegalCopyright" "Copyright (c) 2026 The Lexaro Tuvano! developers (MIT)"

; Whether the program runs from the folder: Windows lets no one write to
; the file of a running program.
!macro ProgramRuns un
Function ${un}ProgramRuns
    Push 0
    ${If} ${FileExists} "$INSTDIR\${PROGRAM}"
        ClearErrors
        FileOpen $0 "$INSTDIR\${PROGRAM}" a
        ${If} ${Errors}
            Pop $0
            Push 1
        ${Else}
            FileClose $0
        ${EndIf}
    ${EndIf}
FunctionEnd
!macroend
!insertmacro ProgramRuns ""
!insertmacro ProgramRuns "un."

; Sets Problem to what is wrong with the folder.
Function FindProblem
    StrCpy $Problem ""
    ${IfNot} ${FileExists} "$INSTDIR\lexaro.exe"
    ${AndIfNot} ${FileExists} "$INSTDIR\lx2000.exe"
        StrCpy $Problem "I mappen$\r$\n$INSTDIR$\r$\nfinns varken lexaro.exe eller lx2000.exe, så det är inte Lexaros mapp.$\r$\n$\r$\n${PRODUCT} måste installeras i samma mapp som Lexaro. Välj den mapp där Lexaro är installerat."
        Return
    ${EndIf}
    Call ProgramRuns
    Pop $0
    ${If} $0 == 1
        StrCpy $Problem "${PRODUCT} körs just nu från mappen$\r$\n$INSTDIR$\r$\n$\r$\nAvsluta programmet och fortsätt sedan installationen."
        Return
    ${EndIf}
    ; Where the program was never installed, a file of the same name as one
    ; of its own is Lexaro's, and stays untouched: uninstalling would remove it.
    ${IfNot} ${FileExists} "$INSTDIR\${PROGRAM}"
        StrCpy $0 ""
        !insertmacro TuvanoFirstPresent $0
        ${If} $0 != ""
            StrCpy $Problem "I mappen$\r$\n$INSTDIR$\r$\nfinns redan filen $0, som inte kommer från ${PRODUCT}. Installationen skulle ersätta den, och en avinstallation skulle sedan ta bort den.$\r$\n$\r$\n${PRODUCT} installeras därför inte här. Välj en annan mapp, eller flytta filen om Lexaro inte behöver den."
        ${EndIf}
    ${EndIf}
FunctionEnd

; Whether the folder lies under one of Windows' program folders, where only
; administrators may write. They are read from the environment: a 64-bit
; installer's own names for them both lead to the 64-bit one.
Function UnderProgramFiles
    Push 0
    ${ForEach} $1 1 2 + 1
        ${If} $1 == 1
            ReadEnvStr $2 "ProgramFiles(x86)"
        ${Else}
            ReadEnvStr $2 "ProgramW6432"
        ${EndIf}
        StrLen $3 $2
        StrCpy $4 $INSTDIR $3
        StrCpy $5 $INSTDIR 1 $3
        ${If} $3 > 0
        ${AndIf} $4 == $2
        ${AndIf} $5 == "\"
            Pop $0
            Push 1
        ${EndIf}
    ${Next}
FunctionEnd

Function AcceptFolder
    Call FindProblem
    ${If} $Problem != ""
        MessageBox MB_ICONEXCLAMATION|MB_OK "$Problem"
        Abort
    ${EndIf}
    Call UnderProgramFiles
    Pop $0
    ${If} $0 == 1
        MessageBox MB_ICONINFORMATION|MB_OK "Lexaros mapp ligger under $\"Program Files$\", där bara administratörer får skriva. Vanliga användare kan då inte använda ${PRODUCT}: programmet säger till och avslutas, tills Lexaro har flyttats till en annan mapp eller användarna har fått behörigheten Ändra för mappen (under mappens Egenskaper, fliken Säkerhet).$\r$\n$\r$\nInstallationen fortsätter nu i den här mappen."
    ${EndIf}
FunctionEnd

Function .onInit
    ; No earlier installation: Lexaro's usual place, when it is there.
    ReadEnvStr $0 "ProgramFiles(x86)"
    ${If} $INSTDIR == "C:\Lexaro"
    ${AndIfNot} ${FileExists} "C:\Lexaro\lexaro.exe"
    ${AndIfNot} ${FileExists} "C:\Lexaro\lx2000.exe"
    ${AndIf} $0 != ""
    ${AndIf} ${FileExists} "$0\Lexaro\lexaro.exe"
        StrCpy $INSTDIR "$0\Lexaro"
    ${EndIf}
    ${If} ${Silent}
        Call FindProblem
        ${If} $Problem != ""
            SetErrorLevel 2
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

Section
    SetShellVarContext all
    !insertmacro TuvanoInstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    SetOutPath "$INSTDIR"
    CreateShortCut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Lexaro Tuvano! developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\${UNINSTALLER}$\""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\${UNINSTALLER}$\" /S"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
    Call un.ProgramRuns
    Pop $0
    ${If} $0 == 1
        MessageBox MB_ICONEXCLAMATION|MB_OK "${PRODUCT} körs just nu. Avsluta programmet och avinstallera det sedan." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
FunctionEnd

; Only what the installer put there goes: the profiles, the program's own
; files (profiles.map, tuvano.ini, tuvano.session, tuvano.lock) and Lexaro's
; stay, and so does the folder.
Section "Uninstall"
    SetShellVarContext all
    !insertmacro TuvanoRemoveFiles
    Delete "$INSTDIR\${UNINSTALLER}"
    Delete "${SHORTCUT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
