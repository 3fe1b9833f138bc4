; The 64-bit installer of the Windows programs: trelvo.exe (and trelvo-cli.exe
; and trelvo-fleet.exe when the build has them) into the program folder, a
; Start-menu entry for each window ("Trelvo", "Trelvo Fleet"), an
; uninstaller in Windows' programs list, and, if asked for, the program
; folder on the system PATH.
;
; Pages: welcome, components (the PATH), folder, progress, finish with
; "Start Trelvo". From a script: /S installs without a question, /PATH puts
; the folder on PATH (also preselects the box), /D=C:\Path picks the folder
; (last, unquoted); "uninstall.exe /S" removes it all again.
;
;   makensis -DPROGRAMS=dir -DOUTFILE=setup.exe -DVERSION=X.Y.Z -DPUBLISHER=name
;            -DICON=trelvo.ico [-DWITH_CLI] [-DWITH_FLEET] [-DSIGN=command] trelvo.nsi
; PROGRAMS holds the (stripped, signed) programs; VERSION is project()'s.
; SIGN, when given, signs a file in place: the uninstaller as it is made.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!ifndef PROGRAMS
  !error "PROGRAMS: the folder with trelvo.exe to install"
!endif
!ifndef OUTFILE
  !error "OUTFILE: where the installer goes"
!endif
!ifndef VERSION
  !error "VERSION: the program's version, three numbers"
!endif
!ifndef PUBLISHER
  !error "PUBLISHER: who publishes the program, for the programs list"
!endif
!ifndef ICON
  !error "ICON: the program's icon"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Trelvo"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include "system_path.nsh"

!ifdef SIGN
  !uninstfinalize '${SIGN} "%1"' = 0
!endif

Name "Trelvo"
BrandingText "Trelvo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Trelvo"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
; No copyright holder to name in the version resource.
!pragma warning disable 9100
VIAddVersionKey /LANG=0 "ProductName" "Trelvo"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "Trelvo Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}.0"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartTrelvo)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTrelvo
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; German on a German system, English elsewhere, as the program speaks.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString StartTrelvo ${LANG_ENGLISH} "Start Trelvo"
LangString StartTrelvo ${LANG_GERMAN} "Trelvo starten"
LangString ProgramSection ${LANG_ENGLISH} "Trelvo"
LangString ProgramSection ${LANG_GERMAN} "Trelvo"
LangString PathSection ${LANG_ENGLISH} "Add the program folder to the system PATH"
LangString PathSection ${LANG_GERMAN} "Programmordner zum System-PATH hinzufügen"
LangString PathAdded ${LANG_ENGLISH} "Added to the system PATH: $INSTDIR"
LangString PathAdded ${LANG_GERMAN} "Zum System-PATH hinzugefügt: $INSTDIR"
LangString PathPresent ${LANG_ENGLISH} "Already on the system PATH: $INSTDIR"
LangString PathPresent ${LANG_GERMAN} "Schon im System-PATH: $INSTDIR"
LangString PathNotAdded ${LANG_ENGLISH} \
    "The system PATH could not take the program folder ($R0); add $INSTDIR yourself."
LangString PathNotAdded ${LANG_GERMAN} \
    "Der System-PATH konnte den Programmordner nicht aufnehmen ($R0); bitte $INSTDIR selbst eintragen."
LangString PathRemoved ${LANG_ENGLISH} "Removed from the system PATH: $INSTDIR"
LangString PathRemoved ${LANG_GERMAN} "Aus dem System-PATH entfernt: $INSTDIR"

Section "!$(ProgramSection)" SectionProgram
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\trelvo.exe"
!ifdef WITH_CLI
  File "${PROGRAMS}\trelvo-cli.exe"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Trelvo.lnk" "$INSTDIR\trelvo.exe"
!ifdef WITH_FLEET
  File "${PROGRAMS}\trelvo-fleet.exe"
  CreateShortcut "$SMPROGRAMS\Trelvo Fleet.lnk" "$INSTDIR\trelvo-fleet.exe"
!endif

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Trelvo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\trelvo.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In kilobytes, what the folder holds now.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Off unless ticked, or /PATH given.
Section /o "$(PathSection)" SectionPath
  Call AddToSystemPath
  ${If} $R0 == "added"
    ; Only a PATH entry the installer made is the uninstaller's to take out.
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
    DetailPrint "$(PathAdded)"
  ${ElseIf} $R0 == "present"
    DetailPrint "$(PathPresent)"
  ${Else}
    DetailPrint "$(PathNotAdded)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(PathNotAdded)" /SD IDOK
    SetErrorLevel 2
  ${EndIf}
SectionEnd

Function .onInit
  ; The programs list and the PATH are the 64-bit registry's.
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PATH" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == ""
    !insertmacro SelectSection ${SectionPath}
  ${EndIf}
FunctionEnd

; The installer runs as an administrator; Explorer starts the program as the
; operator who is logged on, without those rights.
Function StartTrelvo
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\trelvo.exe"'
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $0 == 1
    Call un.RemoveFromSystemPath
    ${If} $R0 == "removed"
      DetailPrint "$(PathRemoved)"
    ${EndIf}
  ${EndIf}
  Delete "$SMPROGRAMS\Trelvo.lnk"
  Delete "$SMPROGRAMS\Trelvo Fleet.lnk"
  Delete "$INSTDIR\trelvo.exe"
  Delete "$INSTDIR\trelvo-cli.exe"
  Delete "$INSTDIR\trelvo-fleet.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
