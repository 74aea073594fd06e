; The Windows installer of baromon, made by scripts/package-windows with NSIS:
;   makensis -DVERSION=x.y.z -DSTAGE=<folder with baromon.exe, README.txt, baromon.ico> -DOUTFILE=<setup.exe>
; It installs for the user who runs it (no administrator needed): the program into
; %LOCALAPPDATA%\Programs\baromon, a Start-menu shortcut that starts baromon in the
; folder baromon of the user's Documents (made here; the monitor keeps its files in
; the folder it starts in), and an uninstaller that leaves that folder and its files.
; A 64-bit installer for the 64-bit program (and Wine without its 32-bit part runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

Name "baromon ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\baromon"
ShowInstDetails show

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\baromon"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "baromon"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}/baromon.exe"
  File "${STAGE}/README.txt"
  File "${STAGE}/baromon.ico"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; A shortcut starts its program in its working directory; the monitor's files go there.
  CreateDirectory "$DOCUMENTS\baromon"
  SetOutPath "$DOCUMENTS\baromon"
  CreateShortCut "$SMPROGRAMS\baromon.lnk" "$INSTDIR\baromon.exe" "" "$INSTDIR\baromon.ico" 0
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "baromon"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\baromon.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\baromon.lnk"
  Delete "$INSTDIR\baromon.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\baromon.ico"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The recorded files in Documents\baromon are the user's: they stay.
SectionEnd
