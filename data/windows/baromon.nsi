; The Windows installer of baromon, made by scripts/package-windows with NSIS:
;   makensis -DVERSION=x.y.z -DSTAGE=<folder with baromon.exe, dft.exe, README.txt, baromon.ico> -DOUTFILE=<setup.exe>
; It installs for the user who runs it (no administrator needed): the program into
; %LOCALAPPDATA%\Programs\baromon, a Start-menu shortcut that starts baromon in the
; folder baromon of the user's Documents (made here; the monitor keeps its files in
; the folder it starts in), an optional desktop shortcut of the same kind, the program's
; entry in the system's list of programs (icon, version, publisher) and an uninstaller
; that leaves that folder and its files. Modern pages: welcome, components, directory,
; progress, finish (start baromon, show the README).
; A 64-bit installer for the 64-bit program (and Wine without its 32-bit part runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

Name "baromon ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\baromon"
ShowInstDetails show

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\baromon"
!define PUBLISHER "baromon project"

; The program's own icon on the installer, the uninstaller and their windows.
!define MUI_ICON "${STAGE}/baromon.ico"
!define MUI_UNICON "${STAGE}/baromon.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The monitor starts where its files are, as the Start-menu shortcut starts it.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start baromon"
!define MUI_FINISHPAGE_RUN_FUNCTION StartMonitor
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the README"

; There is no licence file in the distribution, so no licence page.
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function StartMonitor
  SetOutPath "$DOCUMENTS\baromon"
  Exec '"$INSTDIR\baromon.exe"'
  SetOutPath "$INSTDIR"
FunctionEnd

Section "baromon" SecProgram
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}/baromon.exe"
  File "${STAGE}/dft.exe"
  File "${STAGE}/README.txt"
  File "${STAGE}/baromon.ico"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; A shortcut starts its program in its working directory; the monitor's files go there.
  CreateDirectory "$DOCUMENTS\baromon"
  SetOutPath "$DOCUMENTS\baromon"
  CreateShortCut "$SMPROGRAMS\baromon.lnk" "$INSTDIR\baromon.exe" "" "$INSTDIR\baromon.ico" 0
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "baromon"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\baromon.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Chosen by default; the components page lets the user leave it out.
Section "Desktop shortcut" SecDesktop
  SetShellVarContext current
  SetOutPath "$DOCUMENTS\baromon"
  CreateShortCut "$DESKTOP\baromon.lnk" "$INSTDIR\baromon.exe" "" "$INSTDIR\baromon.ico" 0
  SetOutPath "$INSTDIR"
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\baromon.lnk"
  Delete "$DESKTOP\baromon.lnk"
  Delete "$INSTDIR\baromon.exe"
  Delete "$INSTDIR\dft.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\baromon.ico"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The recorded files in Documents\baromon are the user's: they stay.
SectionEnd
