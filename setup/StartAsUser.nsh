; Starting the user's programs (the installer tasks, the wizard, the Agent)
; as the user and never with this setup's rights: an administrator's setup
; must not start them with its own (they would keep its rights and write
; the administrator's profile instead of the user's), nor as the
; administrator on another user's desktop ("Run as").

; Whether this process has an administrator's elevated token (Windows Vista
; and later), which programs that it starts would inherit: 1 or 0.
Function Elevated
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  System::Call 'kernel32::GetCurrentProcess() p .r0'
  System::Call 'advapi32::OpenProcessToken(p r0, i ${TOKEN_QUERY}, *p .r1) i .r2'
  IntCmp $2 0 done
  ; Not a token class before Windows Vista: the call fails there.
  System::Call 'advapi32::GetTokenInformation(p r1, i ${TOKEN_ELEVATION}, *i .r0, i 4, *i .r2) i .r2'
  System::Call 'kernel32::CloseHandle(p r1)'
  IntCmp $2 0 done
  IntCmp $0 0 done
  StrCpy $3 1
done:
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; 1 on the stack when this process runs as the user whose shell owns the
; desktop, or when there is no shell window to ask (before Windows 2000,
; another shell); 0 when it runs as another user, as an administrator's "Run
; as" on a user's desktop does, or when the shell's user cannot be read.
Function ShellIsOurs
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 0
  System::Call 'user32::GetShellWindow() p .r0'
  StrCmp $0 0 nobody
  StrCmp $0 "error" nobody
  !insertmacro SEAM $1 LARKSPIRE_TEST_SHELL_USER
  StrCmp $1 "other" done
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_INFORMATION}, i 0, i r1) p .r2'
  StrCmp $2 0 done
  StrCmp $2 "error" done
  System::Call 'advapi32::OpenProcessToken(p r2, i ${TOKEN_QUERY}, *p .r3) i .r1'
  System::Call 'kernel32::CloseHandle(p r2)'
  IntCmp $1 0 done
  Push $3
  Call TokenUser
  Pop $0
  System::Call 'kernel32::CloseHandle(p r3)'
  System::Call 'kernel32::GetCurrentProcess() p .r2'
  System::Call 'advapi32::OpenProcessToken(p r2, i ${TOKEN_QUERY}, *p .r3) i .r1'
  StrCpy $2 0
  IntCmp $1 0 compared
  Push $3
  Call TokenUser
  Pop $2
  System::Call 'kernel32::CloseHandle(p r3)'
  StrCmp $0 0 compared
  StrCmp $2 0 compared
  ; Each buffer begins with the SID's address.
  System::Call '*$0(p .r1)'
  System::Call '*$2(p .r3)'
  System::Call 'advapi32::EqualSid(p r1, p r3) i .r4'
  IntCmp $4 0 compared
  StrCpy $4 1
compared:
  StrCmp $0 0 +2
  System::Free $0
  StrCmp $2 0 +2
  System::Free $2
  Goto done
nobody:
  StrCpy $4 1
done:
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The user of the token on the stack: a buffer holding its TOKEN_USER (to be
; freed with System::Free), or 0.
Function TokenUser
  Exch $0
  Push $1
  Push $2
  System::Alloc 512
  Pop $1
  System::Call 'advapi32::GetTokenInformation(p r0, i ${TOKEN_USER_CLASS}, p r1, i 512, *i .r2) i .r2'
  IntCmp $2 0 0 done done
  System::Free $1
  StrCpy $1 0
done:
  StrCpy $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Starts the command line $R0 in the folder $R1 as the logged-on user, with
; the token of the shell's own process and the user's environment, and waits
; for it to end when $R2 is 1. Where there is no shell window, or its token
; cannot be used, a setup that is not elevated (before Windows Vista, or
; started with the user's own token) starts the program itself, when it runs
; as the shell's own user. Leaves 1 on the stack when the program was
; started, 0 when it cannot be started as the user.
Function StartAsUser
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  StrCpy $0 0
  StrCpy $5 0
  StrCpy $6 0
  StrCpy $7 0
  StrCpy $8 0
  ; "error" where user32 has no GetShellWindow (before Windows 2000).
  System::Call 'user32::GetShellWindow() p .r1'
  StrCmp $1 0 direct
  StrCmp $1 "error" direct
  System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2) i'
  System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_INFORMATION}, i 0, i r2) p .r3'
  StrCmp $3 0 direct
  StrCmp $3 "error" direct
  System::Call 'advapi32::OpenProcessToken(p r3, i ${TOKEN_DUPLICATE}|${TOKEN_QUERY}, *p .r4) i .r1'
  System::Call 'kernel32::CloseHandle(p r3)'
  IntCmp $1 0 direct
  System::Call 'advapi32::DuplicateTokenEx(p r4, i ${MAXIMUM_ALLOWED}, p 0, i ${SECURITY_IMPERSONATION}, \
    i ${TOKEN_PRIMARY}, *p .r5) i .r1'
  System::Call 'kernel32::CloseHandle(p r4)'
  IntCmp $1 0 0 duplicated duplicated
  StrCpy $5 0
  Goto direct
duplicated:
  ; The user's own environment: its TEMP is the folder the Agent cleans.
  System::Call 'userenv::CreateEnvironmentBlock(*p .r6, p r5, i 0) i .r1'
  IntCmp $1 0 0 environment environment
  StrCpy $6 0
environment:
  System::Alloc ${STARTUPINFO_SIZE}
  Pop $7
  System::Call '*$7(i ${STARTUPINFO_SIZE})'
  System::Alloc ${PROCESS_INFORMATION_SIZE}
  Pop $8
  ; A service's or SYSTEM's setup may assign the token itself; an
  ; administrator may not (the call fails at once) and has the secondary
  ; logon service start it. (Wine's CreateProcessWithTokenW ignores the token.)
  !insertmacro SEAM $1 LARKSPIRE_TEST_ROUTE
  StrCmp $1 "none" direct
  StrCmp $1 "token" with_token
  System::Call 'advapi32::CreateProcessAsUser(p r5, p 0, t R0, p 0, p 0, i 0, \
    i ${CREATE_UNICODE_ENVIRONMENT}, p r6, t R1, p r7, p r8) i .r1'
  IntCmp $1 0 0 started started
with_token:
  System::Call 'advapi32::CreateProcessWithTokenW(p r5, i 0, p 0, w R0, \
    i ${CREATE_UNICODE_ENVIRONMENT}, p r6, w R1, p r7, p r8) i .r1'
  IntCmp $1 0 direct
started:
  System::Call '*$8(p .r1, p .r2)'
  StrCmp $R2 1 0 waited
  System::Call 'kernel32::WaitForSingleObject(p r1, i -1) i'
waited:
  System::Call 'kernel32::CloseHandle(p r1)'
  System::Call 'kernel32::CloseHandle(p r2)'
  StrCpy $0 1
  Goto done
direct:
  Call Elevated
  Pop $1
  StrCmp $1 1 done
  ; Before Windows Vista an administrator's "Run as" is not elevated either.
  Call ShellIsOurs
  Pop $1
  StrCmp $1 1 0 done
  SetOutPath $R1
  StrCmp $R2 1 0 +3
  ExecWait $R0
  Goto +2
  Exec $R0
  StrCpy $0 1
done:
  StrCmp $6 0 no_environment
  System::Call 'userenv::DestroyEnvironmentBlock(p r6)'
no_environment:
  StrCmp $5 0 no_token
  System::Call 'kernel32::CloseHandle(p r5)'
no_token:
  StrCmp $7 0 no_startup
  System::Free $7
no_startup:
  StrCmp $8 0 no_process
  System::Free $8
no_process:
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The Agent of the folder on the stack started again as the user, when this
; setup ended one. Leaves 1 on the stack when it runs again or needs not, 0
; when it could not be started as the user.
Function StartAgentAgain
  Exch $0
  Push $R0
  Push $R1
  Push $R2
  StrCpy $R1 $0
  StrCpy $0 1
  StrCmp $AgentEnded 1 0 done
  IfFileExists "$R1\Agent.exe" 0 done
  DetailPrint "Starting the Larkspire Agent again..."
  StrCpy $R0 '"$R1\Agent.exe"'
  StrCpy $R2 0
  Call StartAsUser
  Pop $0
done:
  Pop $R2
  Pop $R1
  Pop $R0
  Exch $0
FunctionEnd

