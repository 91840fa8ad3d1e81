; Larkspire's setup program. makensis builds it from the deliverables of one
; build tree:
;
;   makensis -DARCH=x86|amd64 -DBINDIR=<build>/bin -DOUTFILE=<package> setup/Larkspire.nsi
;
; x86 is the shipped package (ANSI, as the programs it installs); amd64 holds
; the x86_64 build of the same sources and installs into the 64-bit views.
; -DTEST_SEAMS makes a package for the tests only, whose decisions that Wine
; cannot bring about can be forced through environment variables (see the
; SEAM macro); the shipped package has none of them.
;
; Exit codes of the setup program (what /S callers see):
;   0 installed,
;   1 cancelled by the user, 2 aborted by NSIS itself,
;   3 the folder cannot be used: it cannot be made, it holds another
;     program's files, or the files could not be written into it (an earlier
;     installation is then put back as it was),
;   4 the component server could not be registered (an earlier installation
;     is put back as it was; without one nothing is left),
;   5 a running Agent did not end (nothing was changed),
;   6 Larkspire's files are in use: its settings or its wizard are open, or
;     another program holds them (nothing was changed),
;   7 another Larkspire setup or uninstall is running (nothing was changed),
;   8 no administrator's rights (nothing was changed).
; The uninstaller returns 0, 5 when a running Agent did not end (nothing was
; removed), 6 when files in use are removed only at the next restart (the
; rest is removed), 7 and 8 as the setup does.

!ifndef ARCH
  !error "define ARCH: x86 or amd64"
!endif
!ifndef BINDIR
  !error "define BINDIR: the folder of the deliverables"
!endif
!ifndef OUTFILE
  !error "define OUTFILE: the package to write"
!endif
; makensis works in the folder of this script.
!define SRCDIR ".."

!define PRODUCT "Larkspire"
!define VERSION "5.0"
!define PUBLISHER "Quenlow"
!define AGENT_CLASS "quenlow_ls5AgentFrame"
!define CONTROLS_CLASS "quenlow_ls5controls"
!define WELCOME_CLASS "quenlow_ls5introFrame"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspire"
!define APPPATH_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Larkspire Agent"
!define USER_KEY "Software\Quenlow\Larkspire"
!define CATALOGUE_KEY "SOFTWARE\Quenlow\Larkspire\Components"
; The Agent's sound event, as the Sounds control panel lists it.
!define SOUND_APP_KEY "AppEvents\Schemes\Apps\Larkspire"
!define SOUND_EVENT "Clean Folder"
!define SOUND_LABEL_KEY "AppEvents\EventLabels\Clean Folder"
!define GROUP "$SMPROGRAMS\Larkspire"
!define APPLET_LINK "Larkspire Settings.lnk"
!define UNINST_LINK "Uninstall Larkspire.lnk"
!define UNINSTALLER "Uninstall.exe"
; One setup or uninstall at a time, in every session ("Global\") and, where
; the system knows no such prefix (Windows 95, 98, NT 4.0), in its one.
!define MUTEX "Quenlow Larkspire Setup"
; How long a running Agent gets to end after WM_CLOSE, in tenths of a second.
!define AGENT_WAIT 50

!define EXIT_FOLDER 3
!define EXIT_REGISTER 4
!define EXIT_AGENT 5
!define EXIT_IN_USE 6
!define EXIT_RUNNING 7
!define EXIT_RIGHTS 8

!define ERROR_ALREADY_EXISTS 183
!define ERROR_ACCESS_DENIED 5
!define HKEY_LOCAL_MACHINE 0x80000002
!define KEY_CREATE_SUB_KEY 0x0004
!define KEY_SET_VALUE 0x0002
!define GENERIC_WRITE 0x40000000
!define OPEN_EXISTING 3
!define PROCESS_QUERY_INFORMATION 0x0400
!define TOKEN_DUPLICATE 0x0002
!define TOKEN_QUERY 0x0008
!define MAXIMUM_ALLOWED 0x02000000
!define SECURITY_IMPERSONATION 2
!define TOKEN_PRIMARY 1
!define TOKEN_ELEVATION 20
!define CREATE_UNICODE_ENVIRONMENT 0x0400

!if "${ARCH}" == "amd64"
  Target amd64-unicode
  !define PROGRAMS_ROOT "$PROGRAMFILES64"
  !define KEY_VIEW 0x0100
  !define STARTUPINFO_SIZE 104
  !define PROCESS_INFORMATION_SIZE 24
!else if "${ARCH}" == "x86"
  Target x86-ansi
  !define PROGRAMS_ROOT "$PROGRAMFILES"
  !define KEY_VIEW 0
  !define STARTUPINFO_SIZE 68
  !define PROCESS_INFORMATION_SIZE 16
!else
  !error "ARCH must be x86 or amd64"
!endif

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS_ROOT}\Larkspire"
; An earlier installation's folder is offered again.
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${SRCDIR}/agent/res/agent.ico"
UninstallIcon "${SRCDIR}/agent/res/agent.ico"
ShowInstDetails show
; The setup closes by itself once it has finished (an aborted one stays open).
AutoCloseWindow true
ShowUninstDetails show
XPStyle on
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory "" "" DirectoryLeave
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The folder of the installation that the uninstall entry names, when it
; still holds Larkspire; "" when there is none.
Var EarlierDir
; 1 when this setup ended a running Agent, which it then starts again.
Var AgentEnded
; 1 when this setup made the installation folder.
Var MadeDir
; How far the setup has gone: 0 nothing changed, 1 the files of $INSTDIR
; saved and being replaced, 2 the component server being registered.
Var Step
; 1 when no catalogue was there before the component servers were
; registered: a registration that fails takes the keys above the entries too.
Var MadeCatalogue

; The programs that the setup installs, the component server last: an
; upgrade that cannot replace the server has then replaced the others first,
; and puts them back.
!macro FOR_EACH_PROGRAM_FILE what
  !insertmacro ${what} "LSAutorun.inf"
  !insertmacro ${what} "LSInstall.exe"
  !insertmacro ${what} "LSWelcome.exe"
  !insertmacro ${what} "LS5Panel.exe"
  !insertmacro ${what} "Agent.exe"
  !insertmacro ${what} "LSWebCaches.dll"
  !insertmacro ${what} "LSCleaners.dll"
!macroend

; In a package made with -DTEST_SEAMS, VAR gets the environment variable
; NAME; elsewhere it is emptied, and the decision it would force is the
; system's own.
!macro SEAM var name
  !ifdef TEST_SEAMS
    ReadEnvStr ${var} ${name}
  !else
    StrCpy ${var} ""
  !endif
!macroend

; Ends a running Agent: its frame window gets WM_CLOSE, then the setup waits
; until no frame window of the Agent's class is left. Leaves 1 on the stack
; when none is left, 0 when one still runs after the wait (and the user chose
; not to retry). Sets AgentEnded when it ended one.
!macro CLOSE_AGENT un
Function ${un}CloseAgent
  Push $0
  Push $1
retry:
  FindWindow $0 "${AGENT_CLASS}"
  StrCmp $0 0 gone
  DetailPrint "Ending the running Larkspire Agent..."
  StrCpy $AgentEnded 1
  ; WM_CLOSE
  SendMessage $0 0x0010 0 0 /TIMEOUT=5000
  StrCpy $1 0
wait:
  Sleep 100
  FindWindow $0 "${AGENT_CLASS}"
  StrCmp $0 0 gone
  IntOp $1 $1 + 1
  IntCmp $1 ${AGENT_WAIT} 0 wait 0
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "The Larkspire Agent is running and did not end.$\r$\n$\r$\nEnd it from its menu in the notification area (Exit), then choose Retry." \
    /SD IDCANCEL IDRETRY retry
  Pop $1
  Pop $0
  Push 0
  Return
gone:
  Pop $1
  Pop $0
  Push 1
FunctionEnd
!macroend
!insertmacro CLOSE_AGENT ""
!insertmacro CLOSE_AGENT "un."

; Only one setup or uninstall runs at a time: the second one says so and
; ends before it changes anything. The mutex stays held until the process ends.
!macro ALONE un
Function ${un}Alone
  Push $0
  Push $1
  System::Call 'kernel32::CreateMutex(p 0, i 0, t "Global\${MUTEX}") p .r0 ?e'
  Pop $1
  StrCmp $1 ${ERROR_ALREADY_EXISTS} running
  System::Call 'kernel32::CreateMutex(p 0, i 0, t "${MUTEX}") p .r0 ?e'
  Pop $1
  StrCmp $1 ${ERROR_ALREADY_EXISTS} running
  Pop $1
  Pop $0
  Return
running:
  MessageBox MB_OK|MB_ICONEXCLAMATION \
    "Another Larkspire setup or uninstall is running.$\r$\n$\r$\nWait until it has finished, then try again." /SD IDOK
  SetErrorLevel ${EXIT_RUNNING}
  Quit
FunctionEnd
!macroend
!insertmacro ALONE ""
!insertmacro ALONE "un."

; The setup writes the classes, the catalogue and the uninstall entry under
; HKEY_LOCAL_MACHINE: it goes on only where this account may create keys
; there. (On Windows 95 and 98 every account may.) What DllRegisterServer
; returns proves nothing: it succeeds even where it could write nothing.
!macro NEED_RIGHTS un
Function ${un}MayWrite
  ; The key $R0 opened for creating keys and setting values: 0 when denied.
  Push $0
  Push $1
  System::Call 'advapi32::RegOpenKeyEx(p ${HKEY_LOCAL_MACHINE}, t R0, i 0, \
    i ${KEY_CREATE_SUB_KEY}|${KEY_SET_VALUE}|${KEY_VIEW}, *p .r1) i .r0'
  StrCmp $0 0 0 closed
  System::Call 'advapi32::RegCloseKey(p r1)'
closed:
  StrCpy $R0 1
  StrCmp $0 ${ERROR_ACCESS_DENIED} 0 +2
  StrCpy $R0 0
  Pop $1
  Pop $0
FunctionEnd

Function ${un}NeedRights
  Push $R0
  !insertmacro SEAM $R0 LARKSPIRE_TEST_RIGHTS
  StrCmp $R0 "denied" denied
  StrCpy $R0 "SOFTWARE"
  Call ${un}MayWrite
  StrCmp $R0 0 denied
  StrCpy $R0 "SOFTWARE\Classes\CLSID"
  Call ${un}MayWrite
  StrCmp $R0 0 denied
  StrCpy $R0 "SOFTWARE\Microsoft\Windows\CurrentVersion"
  Call ${un}MayWrite
  StrCmp $R0 0 denied
  Pop $R0
  Return
denied:
  MessageBox MB_OK|MB_ICONSTOP \
    "Larkspire is installed and removed for every user of this computer, which needs an administrator's rights.$\r$\n$\r$\nLog on as an administrator, then run this program again." /SD IDOK
  SetErrorLevel ${EXIT_RIGHTS}
  Quit
FunctionEnd
!macroend
!insertmacro NEED_RIGHTS ""
!insertmacro NEED_RIGHTS "un."

; EarlierDir: the folder that the uninstall entry names, when it still holds
; Larkspire.
!macro FIND_EARLIER un
Function ${un}FindEarlier
  ReadRegStr $EarlierDir HKLM "${UNINST_KEY}" "InstallLocation"
  StrCmp $EarlierDir "" done
  IfFileExists "$EarlierDir\LSCleaners.dll" done
  IfFileExists "$EarlierDir\${UNINSTALLER}" done
  StrCpy $EarlierDir ""
done:
FunctionEnd
!macroend
!insertmacro FIND_EARLIER ""
!insertmacro FIND_EARLIER "un."

; Per-machine: the Start-menu group goes to all users, the registry into the
; view of the programs installed.
!macro VIEWS
  SetShellVarContext all
  !if "${ARCH}" == "amd64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro VIEWS
  Call Alone
  Call NeedRights
  Call FindEarlier
  StrCpy $AgentEnded 0
  StrCpy $MadeDir 0
  StrCpy $Step 0
FunctionEnd

Function un.onInit
  !insertmacro VIEWS
  Call un.Alone
  Call un.NeedRights
FunctionEnd

; Leaves 1 on the stack when $INSTDIR may take the installation: a folder
; that does not exist yet, an empty one, or the earlier installation's; 0
; for one that holds anything else, whose files this setup must not replace
; (nor its uninstaller remove later).
Function FolderUsable
  Push $0
  Push $1
  Push $2
  StrCpy $2 1
  StrCmp $EarlierDir "" +2
  StrCmp $EarlierDir $INSTDIR done
  ClearErrors
  FindFirst $0 $1 "$INSTDIR\*.*"
  IfErrors done
next:
  StrCmp $1 "" listed
  StrCmp $1 "." +3
  StrCmp $1 ".." +2
  StrCpy $2 0
  FindNext $0 $1
  Goto next
listed:
  FindClose $0
done:
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!define FOREIGN_FOLDER_TEXT \
  "The folder $INSTDIR already holds files of another program.$\r$\n$\r$\nLarkspire is installed only into a new or empty folder, or over an earlier Larkspire installation, so that no other program's files are replaced or later removed. Choose another folder, for example $INSTDIR\Larkspire."

Function DirectoryLeave
  Push $0
  Call FolderUsable
  Pop $0
  StrCmp $0 1 usable
  Pop $0
  MessageBox MB_OK|MB_ICONEXCLAMATION "${FOREIGN_FOLDER_TEXT}"
  Abort
usable:
  Pop $0
FunctionEnd

; Waits until neither the settings applet nor the introduction wizard is
; open: both hold the files that an upgrade replaces, and the applet may hold
; changes that the user has not applied yet. Leaves 1 on the stack, or 0 when
; one stays open and the user chose Cancel (a silent setup at once).
Function SettingsClosed
  Push $0
retry:
  FindWindow $0 "${CONTROLS_CLASS}"
  StrCmp $0 0 0 open
  FindWindow $0 "${WELCOME_CLASS}"
  StrCmp $0 0 closed
open:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "The Larkspire settings or the Larkspire introduction wizard is open and uses files that this setup replaces.$\r$\n$\r$\nClose it, then choose Retry." \
    /SD IDCANCEL IDRETRY retry
  Pop $0
  Push 0
  Return
closed:
  Pop $0
  Push 1
FunctionEnd

; 1 when the file on the stack exists and cannot be opened for writing (a
; running program holds it), else 0.
Function Held
  Exch $0
  Push $1
  IfFileExists $0 0 free
  System::Call 'kernel32::CreateFile(t r0, i ${GENERIC_WRITE}, i 0, p 0, i ${OPEN_EXISTING}, i 0, p 0) p .r1'
  IntCmp $1 -1 held
  System::Call 'kernel32::CloseHandle(p r1)'
free:
  StrCpy $0 0
  Goto done
held:
  StrCpy $0 1
done:
  Pop $1
  Exch $0
FunctionEnd

; $R1 becomes $R9\NAME when that file is held and $R1 is still empty.
!macro FIND_HELD name
  StrCmp $R1 "" 0 +6
  Push "$R9\${name}"
  Call Held
  Pop $R0
  StrCmp $R0 1 0 +2
  StrCpy $R1 "$R9\${name}"
!macroend

; The first of the installation's files in $INSTDIR or in the earlier
; installation's folder that a running program holds, left on the stack; ""
; when none is.
Function FindHeldFile
  Push $R0
  Push $R1
  Push $R9
  StrCpy $R1 ""
  StrCpy $R9 $INSTDIR
  !insertmacro FOR_EACH_PROGRAM_FILE FIND_HELD
  !insertmacro FIND_HELD "${UNINSTALLER}"
  StrCmp $EarlierDir "" done
  StrCmp $EarlierDir $INSTDIR done
  StrCpy $R9 $EarlierDir
  !insertmacro FOR_EACH_PROGRAM_FILE FIND_HELD
  !insertmacro FIND_HELD "${UNINSTALLER}"
done:
  StrCpy $R0 $R1
  Pop $R9
  Pop $R1
  Exch $R0
FunctionEnd

; Asks until no file of the installation is held (1 on the stack), or the
; user chooses Cancel (0; a silent setup at once).
Function FilesFree
  Push $0
retry:
  Call FindHeldFile
  Pop $0
  StrCmp $0 "" free
  DetailPrint "$0 is in use."
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "$0 is in use by a running program.$\r$\n$\r$\nClose the programs that use Larkspire, then choose Retry." \
    /SD IDCANCEL IDRETRY retry
  Pop $0
  Push 0
  Return
free:
  Pop $0
  Push 1
FunctionEnd

; A copy of each file of the earlier installation in $INSTDIR, kept until the
; setup ends, so that a failed upgrade can put it back. $R7 becomes 0 when a
; copy could not be made.
Function SaveFile
  Exch $0
  Push $1
  IfFileExists "$INSTDIR\$0" 0 done
  System::Call 'kernel32::CopyFile(t "$INSTDIR\$0", t "$PLUGINSDIR\earlier\$0", i 0) i .r1'
  IntCmp $1 0 0 done done
  StrCpy $R7 0
done:
  Pop $1
  Pop $0
FunctionEnd

!macro SAVE_FILE name
  Push "${name}"
  Call SaveFile
!macroend

; 1 on the stack when every file of the installation in $INSTDIR was saved.
Function SaveEarlier
  Push $R7
  StrCpy $R7 1
  InitPluginsDir
  CreateDirectory "$PLUGINSDIR\earlier"
  !insertmacro FOR_EACH_PROGRAM_FILE SAVE_FILE
  Exch $R7
FunctionEnd

; Puts back the saved copy of a file, or removes the file when there was
; none: then this setup made it (the folder held nothing else of the name).
Function PutBackFile
  Exch $0
  Push $1
  IfFileExists "$PLUGINSDIR\earlier\$0" 0 made
  System::Call 'kernel32::CopyFile(t "$PLUGINSDIR\earlier\$0", t "$INSTDIR\$0", i 0) i .r1'
  Goto done
made:
  Delete "$INSTDIR\$0"
done:
  Pop $1
  Pop $0
FunctionEnd

!macro PUT_BACK_FILE name
  Push "${name}"
  Call PutBackFile
!macroend

; After a failed step: the files of $INSTDIR as they were before this setup
; (once they were saved), the earlier installation's registration again (once
; the new server was registered), and the folder removed when this setup made
; it. Nothing of the earlier installation is lost.
Function PutBackEarlier
  IntCmp $Step 1 0 registration
  !insertmacro FOR_EACH_PROGRAM_FILE PUT_BACK_FILE
registration:
  IntCmp $Step 2 0 folder
  StrCmp $EarlierDir "" folder
  RegDLL "$EarlierDir\LSCleaners.dll"
  IfFileExists "$EarlierDir\LSWebCaches.dll" 0 folder
  RegDLL "$EarlierDir\LSWebCaches.dll"
folder:
  StrCmp $MadeDir 1 0 done
  ; A process cannot remove its own current folder.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
done:
FunctionEnd

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

; Starts the command line $R0 in the folder $R1 as the logged-on user, with
; the token of the shell's own process and the user's environment, and waits
; for it to end when $R2 is 1. An administrator's elevated setup must not
; start the user's programs: they would keep its rights, and write the
; administrator's profile instead of the user's. Where there is no shell
; window, or its token cannot be used, a setup that is not elevated (before
; Windows Vista, or started with the user's own token) starts the program
; itself. Leaves 1 on the stack when the program was started, 0 when it
; cannot be started as the user.
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

; A failed setup with the exit code on the stack: the earlier installation
; as it was, its Agent running again when this setup had ended it.
Function RestoreAndStop
  Exch $0
  SetErrorLevel $0
  Call PutBackEarlier
  Push $EarlierDir
  Call StartAgentAgain
  Pop $0
  Pop $0
FunctionEnd

!macro REMOVE_EARLIER_FILE name
  Delete /REBOOTOK "$EarlierDir\${name}"
!macroend

; An upgrade into another folder: the earlier copy goes (its files and
; folder), and the user's log-on entry follows the Agent to its new folder.
; Its classes are already the new installation's.
Function RemoveEarlierCopy
  Push $0
  StrCmp $EarlierDir "" done
  StrCmp $EarlierDir $INSTDIR done
  DetailPrint "Removing the earlier installation in $EarlierDir..."
  !insertmacro FOR_EACH_PROGRAM_FILE REMOVE_EARLIER_FILE
  !insertmacro REMOVE_EARLIER_FILE "${UNINSTALLER}"
  IfRebootFlag 0 +3
  RMDir /REBOOTOK "$EarlierDir"
  Goto +2
  RMDir "$EarlierDir"
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  StrCmp $0 '"$EarlierDir\Agent.exe"' 0 done
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Agent.exe"'
done:
  Pop $0
FunctionEnd

; The class of each component names the installed server that holds it,
; and the catalogue lists it: 1 on the stack, else 0.
!macro REGISTERED_IN server clsid name
  ReadRegStr $0 HKCR "CLSID\${clsid}\InprocServer32" ""
  StrCmp $0 "$INSTDIR\${server}" 0 missing
  ReadRegStr $0 HKLM "${CATALOGUE_KEY}\${name}" "CLSID"
  StrCmp $0 "${clsid}" 0 missing
!macroend
!macro REGISTERED clsid name
  !insertmacro REGISTERED_IN "LSCleaners.dll" "${clsid}" "${name}"
!macroend

Function Registered
  Push $0
  !insertmacro REGISTERED "{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}" "Windows Temporary Files"
  !insertmacro REGISTERED "{DEA42F23-E78A-11D1-B601-0080C866E8E5}" "Other Folders"
  !insertmacro REGISTERED "{7AC4C283-E7A4-11D1-B601-0080C866E8E5}" "Netscape Browser"
  !insertmacro REGISTERED "{8A3403B3-E7AD-11D1-B601-0080C866E8E5}" "Internet Explorer Browser"
  !insertmacro REGISTERED_IN "LSWebCaches.dll" "{8F1EA404-30F8-40B4-AC01-65E4E3E8BD80}" "Web Browser Caches"
  StrCpy $0 1
  Goto done
missing:
  StrCpy $0 0
done:
  Exch $0
FunctionEnd

!macro EXTRACT name
  ClearErrors
  File "${BINDIR}/${name}"
  IfErrors write_failed
!macroend

Section "Larkspire"
  SectionIn RO

  ; Before anything changes: a folder of the setup's own, no program
  ; holding the files, no running Agent.
  Call FolderUsable
  Pop $0
  StrCmp $0 1 +5
    MessageBox MB_OK|MB_ICONSTOP "${FOREIGN_FOLDER_TEXT}" /SD IDOK
    DetailPrint "$INSTDIR holds files of another program; nothing was changed."
    SetErrorLevel ${EXIT_FOLDER}
    Abort

  !insertmacro SEAM $0 LARKSPIRE_TEST_HELD
  StrCmp $0 "ignored" no_settings_check
  Call SettingsClosed
  Pop $0
  StrCmp $0 1 +4
    DetailPrint "The Larkspire settings or wizard is open; nothing was changed."
    SetErrorLevel ${EXIT_IN_USE}
    Abort
no_settings_check:

  ; An Agent of an earlier installation holds its files open.
  Call CloseAgent
  Pop $0
  StrCmp $0 1 +4
    DetailPrint "The running Larkspire Agent did not end; nothing was changed."
    SetErrorLevel ${EXIT_AGENT}
    Abort

  !insertmacro SEAM $0 LARKSPIRE_TEST_HELD
  StrCmp $0 "ignored" no_files_check
  Call FilesFree
  Pop $0
  StrCmp $0 1 no_files_check
    DetailPrint "Larkspire's files are in use; nothing was changed."
    Push ${EXIT_IN_USE}
    Call RestoreAndStop
    Abort
no_files_check:

  IfFileExists "$INSTDIR\*.*" +2
  StrCpy $MadeDir 1
  ClearErrors
  CreateDirectory "$INSTDIR"
  IfFileExists "$INSTDIR\*.*" +6
    MessageBox MB_OK|MB_ICONSTOP "The folder $INSTDIR cannot be created.$\r$\n$\r$\nChoose another folder." /SD IDOK
    DetailPrint "The folder $INSTDIR cannot be created."
    Push ${EXIT_FOLDER}
    Call RestoreAndStop
    Abort

  ; An upgrade keeps a copy of what it replaces until it has succeeded.
  Call SaveEarlier
  Pop $0
  StrCmp $0 1 +6
    MessageBox MB_OK|MB_ICONSTOP "The files of the earlier installation in $INSTDIR could not be saved, so nothing was changed." /SD IDOK
    DetailPrint "The earlier installation could not be saved; nothing was changed."
    Push ${EXIT_FOLDER}
    Call RestoreAndStop
    Abort

  StrCpy $Step 1
  SetOutPath "$INSTDIR"
  ; A file that cannot be replaced fails the step, without a question.
  SetOverwrite try
  !insertmacro FOR_EACH_PROGRAM_FILE EXTRACT
  Goto written
write_failed:
    DetailPrint "The files could not be written into $INSTDIR."
    Push ${EXIT_FOLDER}
    Call RestoreAndStop
    MessageBox MB_OK|MB_ICONSTOP "The files could not be written into $INSTDIR, so Larkspire was not installed.$\r$\n$\r$\nWhat was there before is as it was." /SD IDOK
    Abort
written:

  StrCpy $Step 2
  StrCpy $MadeCatalogue 0
  ClearErrors
  EnumRegKey $0 HKLM "SOFTWARE\Quenlow" 0
  IfErrors 0 +2
    StrCpy $MadeCatalogue 1
  ClearErrors
  RegDLL "$INSTDIR\LSCleaners.dll"
  RegDLL "$INSTDIR\LSWebCaches.dll"
  IfErrors register_failed
  Call Registered
  Pop $0
  StrCmp $0 1 registered
register_failed:
    ; What the new server may have written goes before the earlier one's
    ; registration is made again.
    UnRegDLL "$INSTDIR\LSCleaners.dll"
    UnRegDLL "$INSTDIR\LSWebCaches.dll"
    StrCmp $MadeCatalogue 1 0 +4
      DeleteRegKey /ifempty HKLM "${CATALOGUE_KEY}"
      DeleteRegKey /ifempty HKLM "SOFTWARE\Quenlow\Larkspire"
      DeleteRegKey /ifempty HKLM "SOFTWARE\Quenlow"
    DetailPrint "The component servers could not be registered."
    Push ${EXIT_REGISTER}
    Call RestoreAndStop
    MessageBox MB_OK|MB_ICONSTOP "The Larkspire components could not be registered, so Larkspire was not installed.$\r$\n$\r$\nYour Larkspire settings were kept." /SD IDOK
    Abort
registered:

  ; The Agent starts the settings applet by this name; the applet renews the
  ; entry at every start.
  WriteRegStr HKLM "${APPPATH_KEY}" "" "$INSTDIR\LS5Panel.exe"

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Agent.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ; In kilobytes, as Add/Remove Programs shows it.
  StrCpy $1 0
  FindFirst $2 $3 "$INSTDIR\*.*"
size:
  StrCmp $3 "" sized
  IfFileExists "$INSTDIR\$3\*.*" next
  FileOpen $4 "$INSTDIR\$3" r
  FileSeek $4 0 END $5
  FileClose $4
  IntOp $5 $5 + 1023
  IntOp $5 $5 / 1024
  IntOp $1 $1 + $5
next:
  FindNext $2 $3
  Goto size
sized:
  FindClose $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $1

  CreateDirectory "${GROUP}"
  CreateShortCut "${GROUP}\${APPLET_LINK}" "$INSTDIR\LS5Panel.exe" "" "$INSTDIR\LS5Panel.exe" 0
  CreateShortCut "${GROUP}\${UNINST_LINK}" "$INSTDIR\${UNINSTALLER}" "" "$INSTDIR\${UNINSTALLER}" 0

  ; The Agent's sound event in the Sounds control panel: the application's
  ; name, the event's label and its keys; a sound the user chose stays.
  WriteRegStr HKCU "${SOUND_APP_KEY}" "" "${PRODUCT}"
  WriteRegStr HKCU "${SOUND_LABEL_KEY}" "" "${SOUND_EVENT}"
  ClearErrors
  ReadRegStr $0 HKCU "${SOUND_APP_KEY}\${SOUND_EVENT}\.current" ""
  IfErrors 0 +2
  WriteRegStr HKCU "${SOUND_APP_KEY}\${SOUND_EVENT}\.current" "" ""
  ClearErrors
  ReadRegStr $0 HKCU "${SOUND_APP_KEY}\${SOUND_EVENT}\.Default" ""
  IfErrors 0 +2
  WriteRegStr HKCU "${SOUND_APP_KEY}\${SOUND_EVENT}\.Default" "" ""

  Call RemoveEarlierCopy

  ; What an administrator's silent installation leaves to the user: the
  ; Startup question, the first configuration and the Agent's first start.
  ; An Agent that this setup ended runs again.
  IfSilent 0 ask
  Push $INSTDIR
  Call StartAgentAgain
  Pop $0
  StrCmp $0 1 done
  DetailPrint "The Larkspire Agent starts at the next log-on."
  Goto done
ask:
  ; LSInstall finds LSAutorun.inf in its current folder.
  DetailPrint "Offering the Agent a place in the Startup group..."
  StrCpy $R0 '"$INSTDIR\LSInstall.exe" /startmeup'
  StrCpy $R1 $INSTDIR
  StrCpy $R2 1
  Call StartAsUser
  Pop $0
  StrCmp $0 1 welcome
  MessageBox MB_OK|MB_ICONINFORMATION \
    "Larkspire is installed.$\r$\n$\r$\nThe setup runs with an administrator's rights and cannot start programs under your own account here, so it has not asked about the Startup group, has not shown the introduction wizard and has not started the Larkspire Agent. The Agent starts at your next log-on if it is in your Startup group; choose Larkspire Settings in the Start menu to choose what it cleans."
  Goto done
welcome:
  DetailPrint "Starting the introduction wizard..."
  StrCpy $R0 '"$INSTDIR\LSWelcome.exe"'
  Call StartAsUser
  Pop $0
  MessageBox MB_YESNO|MB_ICONQUESTION "Do you want to start the Larkspire Agent now?" IDNO done
  StrCpy $R0 '"$INSTDIR\Agent.exe"'
  StrCpy $R2 0
  Call StartAsUser
  Pop $0
done:
SectionEnd

!macro REMOVE_FILE name
  Delete /REBOOTOK "$INSTDIR\${name}"
!macroend

Section "Uninstall"
  SetAutoClose true
  ; A copy left in another folder than the installation that the uninstall
  ; entry names removes only its own files: the classes, the catalogue, the
  ; shortcuts, the entries and the running Agent are that installation's.
  Call un.FindEarlier
  StrCpy $R9 1
  StrCmp $EarlierDir "" +3
  StrCmp $EarlierDir $INSTDIR +2
  StrCpy $R9 0

  StrCmp $R9 1 0 agent_left
  Call un.CloseAgent
  Pop $0
  StrCmp $0 1 +4
    DetailPrint "The running Larkspire Agent did not end; nothing was removed."
    SetErrorLevel ${EXIT_AGENT}
    Abort
agent_left:

  StrCmp $R9 1 0 unregistered
  IfFileExists "$INSTDIR\LSWebCaches.dll" 0 +2
  UnRegDLL "$INSTDIR\LSWebCaches.dll"
  IfFileExists "$INSTDIR\LSCleaners.dll" 0 unregistered
  UnRegDLL "$INSTDIR\LSCleaners.dll"
unregistered:
  ; Only what the setup installed; a file still in use goes at the next
  ; restart.
  !insertmacro FOR_EACH_PROGRAM_FILE REMOVE_FILE
  !insertmacro REMOVE_FILE "${UNINSTALLER}"
  IfRebootFlag 0 +3
  RMDir /REBOOTOK "$INSTDIR"
  Goto +2
  RMDir "$INSTDIR"

  ; The log-on entry that LSAutorun.inf adds for the user who uninstalls,
  ; when it names this copy's Agent.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  StrCmp $0 '"$INSTDIR\Agent.exe"' 0 +2
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"

  StrCmp $R9 1 0 removed
  Delete "${GROUP}\${APPLET_LINK}"
  Delete "${GROUP}\${UNINST_LINK}"
  RMDir "${GROUP}"
  DeleteRegKey HKLM "${APPPATH_KEY}"
  DeleteRegKey HKLM "${UNINST_KEY}"
  ; The component server removes its own catalogue entries; the keys above
  ; them go when nothing else is left in them.
  DeleteRegKey /ifempty HKLM "${CATALOGUE_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Quenlow\Larkspire"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Quenlow"

  ; The user's own settings, the Agent's sound event with them, stay unless
  ; the user asks for them to go.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Do you also want to remove your Larkspire settings?" /SD IDNO IDNO removed
  DeleteRegKey HKCU "${USER_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Quenlow"
  DeleteRegKey HKCU "${SOUND_APP_KEY}"
  DeleteRegKey HKCU "${SOUND_LABEL_KEY}"
  DeleteRegKey /ifempty HKCU "AppEvents\EventLabels"
removed:
  IfRebootFlag 0 done
    DetailPrint "Files in use are removed when Windows restarts."
    MessageBox MB_OK|MB_ICONINFORMATION \
      "Larkspire is removed, but some of its files are in use by a running program. They are removed when Windows restarts." /SD IDOK
    SetErrorLevel ${EXIT_IN_USE}
done:
SectionEnd
