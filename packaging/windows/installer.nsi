; The Windows installer of the printer switch utility: a per-machine install under Program Files,
; Start-menu entries for the utility and its help, and an uninstaller that removes what was
; installed. The install folder goes on the system PATH, so that printer-switch runs by its name
; from any new Command Prompt, and comes off it again at removal. "setup.exe /S" installs
; silently, "uninstall.exe /S" removes silently.
; scripts/windows defines VERSION, OUTFILE and FILES (an include with the install and removal
; lines of every file).
Unicode true
Target amd64-unicode

!define NAME "Printer Switch Utility"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PrinterSwitchUtility"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "WordFunc.nsh"
; The longest PATH that the installer reads and writes whole; NSIS's strings end there.
!define /math PATH_LIMIT ${NSIS_MAX_STRLEN} - 1

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${NAME}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!include "${FILES}"

; Adds (+) or removes (-) the install folder among the system PATH's entries, leaving the others
; as they are, and tells the running programs that the environment changed. A PATH that NSIS
; cannot hold whole (PATH_LIMIT characters or more) is left untouched: written back cut short it
; would lose the entries at its end.
!macro EditSystemPath SIGN
  ClearErrors
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $1 $0
  ${If} ${Errors}
  ${OrIf} $1 >= ${PATH_LIMIT}
    DetailPrint "The system PATH is too long to change: printer-switch.exe runs from $INSTDIR"
  ${Else}
    ${WordAdd} "$0" ";" "${SIGN}$INSTDIR" $2
    StrLen $1 $2
    ${If} $2 != $0
    ${AndIf} $1 < ${PATH_LIMIT}
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$2"
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}
!macroend

Section "Install"
  SetShellVarContext all
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro EditSystemPath "+"

  CreateDirectory "$SMPROGRAMS\${NAME}"
  CreateShortcut "$SMPROGRAMS\${NAME}\${NAME}.lnk" "$INSTDIR\printer-switch-utility.exe"
  CreateShortcut "$SMPROGRAMS\${NAME}\${NAME} Help.lnk" "$WINDIR\notepad.exe" \
    '"$INSTDIR\KV_SW_Help.txt"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Printer Software Switch Utility developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\printer-switch-utility.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro EditSystemPath "-"
  Delete "$SMPROGRAMS\${NAME}\${NAME}.lnk"
  Delete "$SMPROGRAMS\${NAME}\${NAME} Help.lnk"
  RMDir "$SMPROGRAMS\${NAME}"
  ; Only the files that were installed: whatever else the folder holds stays, and so does the
  ; folder then.
  !insertmacro RemoveFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
