; Removals and renames that wait for the next restart. An uninstall leaves
; the files that a running program holds for the restart; a setup into that
; folder before it would lose its own files to it (and the classes would
; name a server that is gone). Such a setup says so and changes nothing.
; Windows NT keeps them in the Session Manager's PendingFileRenameOperations
; values (each a source, then a target or nothing), Windows 95 and 98 in the
; [rename] section of wininit.ini (TARGET=SOURCE, NUL for a removal), short
; names and all.

!define SESSION_MANAGER_KEY "SYSTEM\CurrentControlSet\Control\Session Manager"
!define KEY_QUERY_VALUE 0x0001
!if ${NSIS_CHAR_SIZE} == 2
  !define STRING_CALL_SUFFIX W
!else
  !define STRING_CALL_SUFFIX A
!endif

; 1 on the stack when Windows is of the NT line, 0 on Windows 95 and 98.
Function WindowsNT
  Push $0
  !insertmacro SEAM $0 LARKSPIRE_TEST_PLATFORM
  StrCmp $0 "9x" windows
  System::Call 'kernel32::GetVersion() i .r0'
  IntOp $0 $0 & 0x80000000
  IntCmp $0 0 0 windows windows
  StrCpy $0 1
  Goto done
windows:
  StrCpy $0 0
done:
  Exch $0
FunctionEnd

; 1 on the stack when the path on the stack, as the restart's work names it
; ("\??\C:\...", "!\??\C:\..." or a short name), is $INSTDIR or lies in it.
Function PendingConcerns
  Exch $R0
  Push $0
  StrCpy $0 $R0 1
  StrCmp $0 "!" 0 +2
  StrCpy $R0 $R0 "" 1
  StrCpy $0 $R0 4
  StrCmp $0 "\??\" 0 +2
  StrCpy $R0 $R0 "" 4
  Call LongForm
  Push $R0
  Push $INSTDIR
  Call Within
  Pop $R0
  Pop $0
  Exch $R0
FunctionEnd

; $R0: the name of a Session Manager value. $R1 becomes 1 when one of its
; paths concerns $INSTDIR.
Function PendingInValue
  Push $0
  Push $1 ; the key
  Push $2 ; the size
  Push $3 ; the data
  Push $4 ; a string of it
  Push $5 ; its end
  Push $6
  System::Call 'advapi32::RegOpenKeyEx(p ${HKEY_LOCAL_MACHINE}, t "${SESSION_MANAGER_KEY}", i 0, \
    i ${KEY_QUERY_VALUE}, *p .r1) i .r0'
  IntCmp $0 0 0 done done
  System::Call 'advapi32::RegQueryValueEx(p r1, t R0, p 0, p 0, p 0, *i .r2) i .r0'
  IntCmp $0 0 0 close close
  IntCmp $2 0 close
  ; Room for the terminators that a value may lack.
  IntOp $0 $2 + 8
  System::Alloc $0
  Pop $3
  System::Call 'advapi32::RegQueryValueEx(p r1, t R0, p 0, p 0, p r3, *i r2r2) i .r0'
  IntCmp $0 0 0 free free
  StrCpy $4 $3
  IntPtrOp $5 $3 + $2
string:
  IntPtrCmp $4 $5 free 0 free
  System::Call 'kernel32::lstrlen${STRING_CALL_SUFFIX}(p r4) i .r6'
  IntCmp $6 0 0 0 path
  ; An empty target: the source is removed.
  IntPtrOp $4 $4 + ${NSIS_CHAR_SIZE}
  Goto string
path:
  System::Call 'kernel32::lstrcpyn${STRING_CALL_SUFFIX}(t .r0, p r4, i ${NSIS_MAX_STRLEN}) p'
  IntOp $6 $6 + 1
  IntOp $6 $6 * ${NSIS_CHAR_SIZE}
  IntPtrOp $4 $4 + $6
  Push $0
  Call PendingConcerns
  Pop $0
  StrCmp $0 1 0 string
  StrCpy $R1 1
free:
  System::Free $3
close:
  System::Call 'advapi32::RegCloseKey(p r1)'
done:
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R1 becomes 1 when a line of wininit.ini's [rename] section concerns
; $INSTDIR.
Function PendingInWininit
  Push $0 ; the file
  Push $1 ; a line
  Push $2 ; 1 in the section
  Push $3
  Push $4
  ClearErrors
  FileOpen $0 "$WINDIR\wininit.ini" r
  IfErrors done
  StrCpy $2 0
line:
  ClearErrors
  FileRead $0 $1
  IfErrors close
trim:
  StrCpy $3 $1 1 -1
  StrCmp $3 "$\r" +2
  StrCmp $3 "$\n" 0 trimmed
  StrCpy $1 $1 -1
  Goto trim
trimmed:
  StrCpy $3 $1 1
  StrCmp $3 "[" 0 entry
  StrCpy $2 0
  StrCmp $1 "[rename]" 0 line
  StrCpy $2 1
  Goto line
entry:
  StrCmp $2 1 0 line
  StrCpy $3 0
equals:
  StrCpy $4 $1 1 $3
  StrCmp $4 "" line
  StrCmp $4 "=" split
  IntOp $3 $3 + 1
  Goto equals
split:
  StrCpy $4 $1 $3
  IntOp $3 $3 + 1
  StrCpy $1 $1 "" $3
  StrCmp $4 "NUL" source
  Push $4
  Call PendingConcerns
  Pop $4
  StrCmp $4 1 found
source:
  Push $1
  Call PendingConcerns
  Pop $4
  StrCmp $4 1 0 line
found:
  StrCpy $R1 1
close:
  FileClose $0
done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; 1 on the stack when a removal or a rename waits for the next restart in
; $INSTDIR or of $INSTDIR, else 0.
Function PendingInFolder
  Push $R0
  Push $R1
  StrCpy $R1 0
  Call WindowsNT
  Pop $R0
  StrCmp $R0 1 0 windows
  StrCpy $R0 "PendingFileRenameOperations"
  Call PendingInValue
  StrCpy $R0 "PendingFileRenameOperations2"
  Call PendingInValue
  Goto done
windows:
  Call PendingInWininit
done:
  StrCpy $R0 $R1
  Pop $R1
  Exch $R0
FunctionEnd
