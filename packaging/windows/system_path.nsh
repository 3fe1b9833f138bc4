; The program folder on the system-wide PATH (the value Path of
; HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment), put
; there by the installer and taken out by the uninstaller, whatever the
; PATH's length: NSIS's own strings hold 1024 characters, and a longer PATH
; read into one would be written back cut short, so the value is edited in
; memory of its own through the System plug-in. Entries are compared without
; regard to case, with or without a closing backslash; every other entry,
; its order and the value's type (REG_EXPAND_SZ, usually) stay as they are.
;
;   Call AddToSystemPath          $INSTDIR onto the end of PATH;
;                                 $R0 = "added", "present", "too long" or "failed"
;   Call un.RemoveFromSystemPath  $INSTDIR out of PATH;
;                                 $R0 = "removed", "absent" or "failed"
; Both tell running programs (Explorer first) that the environment changed.

!include LogicLib.nsh
!include WinMessages.nsh

!define SYSTEM_PATH_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; HKEY_LOCAL_MACHINE as the 64-bit handle it is: 0x80000002 sign-extended.
!define SYSTEM_PATH_HKLM -2147483646
!define SYSTEM_PATH_KEY_ACCESS 0x0003 ; KEY_QUERY_VALUE | KEY_SET_VALUE
!define SYSTEM_PATH_REG_EXPAND_SZ 2
; An environment variable holds at most 32767 characters; the buffer has
; room for them, a ";" on either side and the terminating null.
!define SYSTEM_PATH_MOST_CHARS 32767
!define SYSTEM_PATH_VALUE_BYTES 65534
!define SYSTEM_PATH_BUFFER_BYTES 65544
!define SYSTEM_PATH_SEMICOLON 59

; $1 key, $2 buffer: ";" PATH ";" once read, so that every entry, the first
; and the last too, stands between two semicolons. $3 points at PATH in it,
; $4 is the value's type. $0 is 0 when all went well.
!macro SYSTEM_PATH_OPEN
  StrCpy $1 0
  StrCpy $2 0
  System::Call 'advapi32::RegOpenKeyExW(p ${SYSTEM_PATH_HKLM}, w "${SYSTEM_PATH_KEY}", i 0, \
      i ${SYSTEM_PATH_KEY_ACCESS}, *p .r1) i .r0'
  ${If} $0 == 0
    System::Alloc ${SYSTEM_PATH_BUFFER_BYTES}
    Pop $2
    System::Call 'kernel32::lstrcpyW(p r2, w ";")'
    IntPtrOp $3 $2 + 2
    ; Room for the most an environment variable holds and nothing more,
    ; so the buffer always ends in nulls.
    System::Call 'advapi32::RegQueryValueExW(p r1, w "Path", p 0, *i .r4, p r3, \
        *i ${SYSTEM_PATH_VALUE_BYTES}) i .r0'
    ${If} $0 == 2 ; ERROR_FILE_NOT_FOUND: no PATH yet
      StrCpy $4 ${SYSTEM_PATH_REG_EXPAND_SZ}
      StrCpy $0 0
    ${EndIf}
    ${If} $4 <> 1 ; REG_SZ
    ${AndIf} $4 <> ${SYSTEM_PATH_REG_EXPAND_SZ}
      StrCpy $0 1
    ${EndIf}
    System::Call 'kernel32::lstrcatW(p r2, w ";")'
  ${EndIf}
!macroend

!macro SYSTEM_PATH_CLOSE
  ${If} $2 <> 0
    System::Free $2
  ${EndIf}
  ${If} $1 <> 0
    System::Call 'advapi32::RegCloseKey(p r1)'
  ${EndIf}
!macroend

; $5 = the address of $INSTDIR's entry in the buffer, with its two
; semicolons, or 0.
!macro SYSTEM_PATH_FIND
  System::Call 'shlwapi::StrStrIW(p r2, w ";$INSTDIR;") p .r5'
  ${If} $5 == 0
    System::Call 'shlwapi::StrStrIW(p r2, w ";$INSTDIR\;") p .r5'
  ${EndIf}
!macroend

; Writes the null-terminated text at $6 as the value, in its old type.
!macro SYSTEM_PATH_WRITE
  System::Call 'kernel32::lstrlenW(p r6) i .r7'
  IntOp $7 $7 + 1
  IntOp $7 $7 * 2
  System::Call 'advapi32::RegSetValueExW(p r1, w "Path", i 0, i r4, p r6, i r7) i .r0'
!macroend

!macro SYSTEM_PATH_ANNOUNCE
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
!macroend

!macro SYSTEM_PATH_SAVE
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
!macroend

!macro SYSTEM_PATH_RESTORE
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
!macroend

Function AddToSystemPath
  !insertmacro SYSTEM_PATH_SAVE
  !insertmacro SYSTEM_PATH_OPEN
  ${If} $0 <> 0
    StrCpy $R0 "failed"
  ${Else}
    !insertmacro SYSTEM_PATH_FIND
    ${If} $5 <> 0
      StrCpy $R0 "present"
    ${Else}
      ; PATH alone again: the closing ";" goes.
      System::Call 'kernel32::lstrlenW(p r3) i .r7'
      IntOp $7 $7 - 1
      IntOp $8 $7 * 2
      IntPtrOp $8 $3 + $8
      System::Call '*$8(&i2 0)'
      StrLen $8 "$INSTDIR"
      IntOp $8 $8 + $7
      IntOp $8 $8 + 1
      ${If} $8 > ${SYSTEM_PATH_MOST_CHARS}
        StrCpy $R0 "too long"
      ${Else}
        ; A separator unless PATH is empty or ends in one already.
        ${If} $7 > 0
          IntOp $8 $7 - 1
          IntOp $8 $8 * 2
          IntPtrOp $8 $3 + $8
          System::Call '*$8(&i2 .r8)'
          ${If} $8 <> ${SYSTEM_PATH_SEMICOLON}
            System::Call 'kernel32::lstrcatW(p r3, w ";")'
          ${EndIf}
        ${EndIf}
        System::Call 'kernel32::lstrcatW(p r3, w "$INSTDIR")'
        StrCpy $6 $3
        !insertmacro SYSTEM_PATH_WRITE
        ${If} $0 == 0
          StrCpy $R0 "added"
          !insertmacro SYSTEM_PATH_ANNOUNCE
        ${Else}
          StrCpy $R0 "failed"
        ${EndIf}
      ${EndIf}
    ${EndIf}
  ${EndIf}
  !insertmacro SYSTEM_PATH_CLOSE
  !insertmacro SYSTEM_PATH_RESTORE
FunctionEnd

Function un.RemoveFromSystemPath
  !insertmacro SYSTEM_PATH_SAVE
  !insertmacro SYSTEM_PATH_OPEN
  StrCpy $R0 "absent"
  ${If} $0 <> 0
    StrCpy $R0 "failed"
  ${Else}
    ; Each entry of the folder goes with the semicolon before it; the one
    ; after it stays for the next entry.
    ${Do}
      !insertmacro SYSTEM_PATH_FIND
      ${If} $5 == 0
        ${Break}
      ${EndIf}
      StrCpy $R0 "removed"
      IntPtrOp $6 $5 + 2
      ; Past the entry: its closing semicolon.
      System::Call 'shlwapi::StrChrW(p r6, i ${SYSTEM_PATH_SEMICOLON}) p .r6'
      System::Call 'kernel32::lstrlenW(p r6) i .r7'
      IntOp $7 $7 + 1
      IntOp $7 $7 * 2
      System::Call 'kernel32::RtlMoveMemory(p r5, p r6, p r7)'
    ${Loop}
    ${If} $R0 == "removed"
      ; The semicolons added on either side go again.
      System::Call 'kernel32::lstrlenW(p r2) i .r7'
      ${If} $7 < 2
        StrCpy $6 $2
        System::Call '*$6(&i2 0)'
      ${Else}
        IntOp $7 $7 - 1
        IntOp $7 $7 * 2
        IntPtrOp $8 $2 + $7
        System::Call '*$8(&i2 0)'
        StrCpy $6 $3
      ${EndIf}
      !insertmacro SYSTEM_PATH_WRITE
      ${If} $0 == 0
        !insertmacro SYSTEM_PATH_ANNOUNCE
      ${Else}
        StrCpy $R0 "failed"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  !insertmacro SYSTEM_PATH_CLOSE
  !insertmacro SYSTEM_PATH_RESTORE
FunctionEnd
