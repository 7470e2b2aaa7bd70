; The per-user Windows installer of Pelmora, made by scripts/windows/package.sh, which gives VERSION, ICON,
; OUTFILE and the lists of files to install and remove (INSTALL_LIST, UNINSTALL_LIST). No administrator
; rights: it installs into the user's own programs folder and registers with the user's own registry.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora"
!define MENU "$SMPROGRAMS\Pelmora"

Name "Pelmora ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Pelmora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  !include "${INSTALL_LIST}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; A shortcut starts its program in the folder current at its making: the install folder, where the data is.
  SetOutPath "$INSTDIR"
  CreateDirectory "${MENU}"
  CreateShortcut "${MENU}\Pel Mora 25.lnk" "$INSTDIR\pelmora-25.exe" "" "" 0 SW_SHOWNORMAL "" \
    "Pool of 25 x 25 cells with walls and sculpture"
  CreateShortcut "${MENU}\Pel Mora 50.lnk" "$INSTDIR\pelmora-50.exe" "" "" 0 SW_SHOWNORMAL "" \
    "Pool of 50 x 50 cells with walls"
  CreateShortcut "${MENU}\Pel Mora 100.lnk" "$INSTDIR\pelmora-100.exe" "" "" 0 SW_SHOWNORMAL "" \
    "Bare pool of 100 x 100 cells"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Pelmora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pelmora developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pelmora-25.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "${MENU}\Pel Mora 25.lnk"
  Delete "${MENU}\Pel Mora 50.lnk"
  Delete "${MENU}\Pel Mora 100.lnk"
  RMDir "${MENU}"
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
