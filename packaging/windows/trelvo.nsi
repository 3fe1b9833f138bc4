; The 64-bit installer of the Windows program: trelvo.exe into the program
; folder, a Start-menu entry, an uninstaller registered with Windows. /S
; installs and uninstalls without a question.
;   makensis -DEXE=path\to\trelvo.exe -DOUTFILE=dist\trelvo-setup.exe -DVERSION=X.Y.Z.0 trelvo.nsi
; VERSION is project()'s version with a fourth number, as scripts/build-windows
; passes it.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!ifndef EXE
  !error "EXE: the trelvo.exe to install"
!endif
!ifndef OUTFILE
  !error "OUTFILE: where the installer goes"
!endif
!ifndef VERSION
  !error "VERSION: the program's version, four numbers"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Trelvo"

Name "Trelvo"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Trelvo"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

; The installer speaks German on a German system, English elsewhere, as the
; program does.
LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\German.nlf"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
; No copyright holder to name in the version resource.
!pragma warning disable 9100
VIAddVersionKey /LANG=0 "ProductName" "Trelvo"
VIAddVersionKey /LANG=0 "FileDescription" "Trelvo Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Trelvo"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=trelvo.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Trelvo.lnk" "$INSTDIR\trelvo.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Trelvo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\trelvo.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Trelvo.lnk"
  Delete "$INSTDIR\trelvo.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
