; Every user's log-on entry for the Agent (the per-user Run value that
; LSAutorun.inf writes for whoever answers Yes to the installer tasks'
; question). An upgrade into another folder makes each one that names the
; earlier Agent name the new one; an uninstall removes each one that names
; its Agent: none is left to start a program that is gone, or whatever a
; later installation puts in that place. The users logged on have their
; hives under HKEY_USERS; the others' are loaded from their profiles for the
; change (the Windows NT profile list with NTUSER.DAT, the Windows 95 and 98
; one with USER.DAT).

!define HKEY_USERS 0x80000003
!define KEY_READ 0x20019
!define PROFILES_NT "SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList"
!define PROFILES_WINDOWS "SOFTWARE\Microsoft\Windows\CurrentVersion\ProfileList"
; Where a profile's hive is loaded under HKEY_USERS while it is changed.
!define PROFILE_HIVE "Larkspire Profile"
!define TOKEN_ADJUST_PRIVILEGES 0x0020
!define SE_PRIVILEGE_ENABLED 0x0002

!macro LOG_ON_ENTRY_FUNCTIONS un

; $R2: a hive's key under HKEY_USERS. Its log-on entry, when it names the
; Agent of the folder $R0, names the Agent of $R1 afterwards, or goes when
; $R1 is "".
Function ${un}FollowLogOnEntry
  Push $0
  Push $1
  ClearErrors
  ReadRegStr $0 HKU "$R2\${RUN_KEY}" "${RUN_VALUE}"
  IfErrors done
  ; '"<folder>\Agent.exe"', the folder spelled as it was given.
  StrCpy $1 $0 1
  StrCmp $1 '"' 0 +2
  StrCpy $0 $0 "" 1
  StrCpy $1 $0 1 -1
  StrCmp $1 '"' 0 +2
  StrCpy $0 $0 -1
  Push $0
  Push "$R0\Agent.exe"
  Call ${un}SamePath
  Pop $1
  StrCmp $1 1 0 done
  StrCmp $R1 "" remove
  DetailPrint "The log-on entry of HKEY_USERS\$R2 follows the Agent to $R1."
  WriteRegStr HKU "$R2\${RUN_KEY}" "${RUN_VALUE}" '"$R1\Agent.exe"'
  Goto done
remove:
  DetailPrint "The log-on entry of HKEY_USERS\$R2 is removed."
  DeleteRegValue HKU "$R2\${RUN_KEY}" "${RUN_VALUE}"
done:
  Pop $1
  Pop $0
FunctionEnd

; Enables the privilege named on the stack in this process's token, where
; there is one (Windows NT).
Function ${un}EnablePrivilege
  Exch $0
  Push $1
  Push $2
  Push $3
  System::Call 'kernel32::GetCurrentProcess() p .r1'
  System::Call 'advapi32::OpenProcessToken(p r1, i ${TOKEN_ADJUST_PRIVILEGES}|${TOKEN_QUERY}, *p .r1) i .r2'
  StrCmp $2 "error" done
  IntCmp $2 0 done
  ; TOKEN_PRIVILEGES with one privilege: its count, its LUID, its attributes.
  System::Call '*(i 1, i 0, i 0, i ${SE_PRIVILEGE_ENABLED}) p .r2'
  IntPtrOp $3 $2 + 4
  System::Call 'advapi32::LookupPrivilegeValue(p 0, t r0, p r3) i .r3'
  IntCmp $3 0 +2
  System::Call 'advapi32::AdjustTokenPrivileges(p r1, i 0, p r2, i 0, p 0, p 0) i'
  System::Free $2
  System::Call 'kernel32::CloseHandle(p r1)'
done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R3: a profile list under HKEY_LOCAL_MACHINE, $R4 the name of its hives'
; files. Each profile whose hive is not loaded is loaded, followed and
; unloaded.
Function ${un}FollowProfiles
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $1 0
profile:
  ClearErrors
  EnumRegKey $2 HKLM "$R3" $1
  IfErrors done
  StrCmp $2 "" done
  IntOp $1 $1 + 1
  ; A user logged on: the hive is there already.
  System::Call 'advapi32::RegOpenKeyEx(p ${HKEY_USERS}, t r2, i 0, i ${KEY_READ}, *p .r3) i .r0'
  IntCmp $0 0 0 unloaded unloaded
  System::Call 'advapi32::RegCloseKey(p r3)'
  Goto profile
unloaded:
  ReadRegStr $3 HKLM "$R3\$2" "ProfileImagePath"
  StrCmp $3 "" profile
  ExpandEnvStrings $3 $3
  IfFileExists "$3\$R4" 0 profile
  System::Call 'advapi32::RegLoadKey(p ${HKEY_USERS}, t "${PROFILE_HIVE}", t "$3\$R4") i .r0'
  IntCmp $0 0 0 profile profile
  Push $R2
  StrCpy $R2 "${PROFILE_HIVE}"
  Call ${un}FollowLogOnEntry
  Pop $R2
  System::Call 'advapi32::RegUnLoadKey(p ${HKEY_USERS}, t "${PROFILE_HIVE}") i'
  Goto profile
done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Every user's log-on entry that names the Agent of the folder $R0 names the
; Agent of $R1 afterwards, or goes when $R1 is "". Called while the Agent of
; $R0 is still there, so that any spelling of it is recognised.
Function ${un}FollowLogOnEntries
  Push $0
  Push $R2
  Push $R3
  Push $R4
  StrCpy $0 0
hive:
  ClearErrors
  EnumRegKey $R2 HKU "" $0
  IfErrors profiles
  StrCmp $R2 "" profiles
  IntOp $0 $0 + 1
  Call ${un}FollowLogOnEntry
  Goto hive
profiles:
  ; Loading a hive needs both.
  Push "SeRestorePrivilege"
  Call ${un}EnablePrivilege
  Push "SeBackupPrivilege"
  Call ${un}EnablePrivilege
  StrCpy $R3 "${PROFILES_NT}"
  StrCpy $R4 "NTUSER.DAT"
  Call ${un}FollowProfiles
  StrCpy $R3 "${PROFILES_WINDOWS}"
  StrCpy $R4 "USER.DAT"
  Call ${un}FollowProfiles
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $0
FunctionEnd

!macroend
!insertmacro LOG_ON_ENTRY_FUNCTIONS ""
!insertmacro LOG_ON_ENTRY_FUNCTIONS "un."
