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
;   3 the folder cannot be used: /D= names no folder as given, it cannot
;     be made, it holds another program's files, it belongs to an account
;     that is not an administrator, or the files could not be written into
;     it or protected (an earlier installation is then put back as it was),
;   4 the component servers could not be registered (an earlier installation
;     is put back as it was; without one nothing is left),
;   5 a running Agent did not end (nothing was changed),
;   6 Larkspire's files are in use: its settings or its wizard are open,
;     another program holds them, or an earlier uninstall left files in the
;     folder for the next restart (nothing was changed),
;   7 another Larkspire setup or uninstall is running (nothing was changed),
;   8 no administrator's rights (nothing was changed).
; The uninstaller returns 0 (also when no installation is registered in its
; folder: then it removes nothing), 1 when the settings or the wizard stayed
; open (nothing was removed), 3 when _?= names no folder as given (nothing
; was removed), 5 when a running Agent did not end (nothing was removed), 6
; when files in use are removed only at the next restart (the rest is
; removed), 7 and 8 as the setup does.

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
!define AGENT_LINK "Larkspire Agent.lnk"
!define UNINST_LINK "Uninstall Larkspire.lnk"
!define UNINSTALLER "Uninstall.exe"
; One setup or uninstall at a time, in every session ("Global\") and, where
; the system knows no such prefix (Windows 95, 98, NT 4.0), in its one.
!define MUTEX "Quenlow Larkspire Setup"

!define EXIT_CANCELLED 1
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
!define TOKEN_USER_CLASS 1
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

; The folder page leaves the judgement of the folder to DirectoryLeave.
PageEx directory
  DirVerify leave
  PageCallbacks "" "" DirectoryLeave
PageExEnd
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The folder of the installation that the uninstall entry names, when it
; still holds Larkspire; "" when there is none.
Var EarlierDir
; The outermost folder that the earlier installation's setup made for it.
Var EarlierCreated
; 1 when this setup ended a running Agent, which it then starts again.
Var AgentEnded
; The outermost folder of $INSTDIR that this setup made ("" when $INSTDIR
; existed before it).
Var CreatedFolder
; 1 when the installation folder gets the setup's own permissions.
Var Protect
; The uninstaller: 1 when $INSTDIR is the installation that the uninstall
; entry names (or, without an entry, the one the classes name).
Var Registered
; How far the setup has gone: 0 nothing changed, 1 the files of $INSTDIR
; saved and being replaced, 2 the component servers being registered.
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

!include "Folder.nsh"
!include "Running.nsh"
!include "Pending.nsh"
!include "Protection.nsh"
!include "StartAsUser.nsh"
!include "LogOnEntries.nsh"
!include "Registration.nsh"
!include "Earlier.nsh"
!include "InstallFolder.nsh"

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
  StrCpy $AgentEnded 0
  StrCpy $CreatedFolder ""
  StrCpy $Protect 0
  StrCpy $SavedSecurity 0
  StrCpy $Step 0
  Call FindEarlier
  Call ChooseFolder
FunctionEnd

; The uninstaller's folder, from _?=: used as given or refused (exit code 3,
; nothing removed). Registered: whether it is the installation that the
; uninstall entry names, or without an entry the one that the classes name.
Function un.onInit
  !insertmacro VIEWS
  Call un.Alone
  Call un.NeedRights
  StrCpy $AgentEnded 0
  Push $R0
  Push $R1
  Push $R2
  Call un.CommandLineFolder
  StrCpy $R2 $R0
  Call un.CheckFolder
  Pop $R1
  StrCmp $R1 "" 0 unusable
  StrCpy $INSTDIR $R0
  StrCpy $Registered 0
  ReadRegStr $R0 HKLM "${UNINST_KEY}" "InstallLocation"
  ReadRegStr $EarlierCreated HKLM "${UNINST_KEY}" "${CREATED_VALUE}"
  StrCmp $R0 "" by_classes
  Push $R0
  Push $INSTDIR
  Call un.SamePath
  Pop $Registered
  StrCmp $EarlierCreated "" done
  StrCpy $R0 $EarlierCreated
  Call un.LongForm
  StrCpy $EarlierCreated $R0
  Goto done
by_classes:
  StrCpy $EarlierCreated ""
  Call un.ClassesNameFolder
  Pop $Registered
done:
  Pop $R2
  Pop $R1
  Pop $R0
  Return
unusable:
  MessageBox MB_OK|MB_ICONSTOP "The folder $R2 cannot be used: $R1.$\r$\n$\r$\nNothing was removed." /SD IDOK
  SetErrorLevel ${EXIT_FOLDER}
  Quit
FunctionEnd

!macro EXTRACT name
  ClearErrors
  File "${BINDIR}/${name}"
  IfErrors write_failed
!macroend

Section "Larkspire"
  SectionIn RO

  ; Before anything changes: no removal waiting for the restart, a folder of
  ; the setup's own, no program holding the files, no running Agent.
  Call PendingInFolder
  Pop $0
  StrCmp $0 1 0 no_pending
    MessageBox MB_OK|MB_ICONSTOP "${PENDING_TEXT}" /SD IDOK
    DetailPrint "Files in $INSTDIR wait for the restart to be removed; nothing was changed."
    SetErrorLevel ${EXIT_IN_USE}
    Abort
no_pending:

  Call FolderRefusal
  Pop $0
  StrCmp $0 "" usable
    MessageBox MB_OK|MB_ICONSTOP "$0" /SD IDOK
    DetailPrint "$INSTDIR cannot be used; nothing was changed."
    SetErrorLevel ${EXIT_FOLDER}
    Abort
usable:

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

  Call FindFolderToMake
  ClearErrors
  CreateDirectory "$INSTDIR"
  IfFileExists "$INSTDIR\*.*" +6
    MessageBox MB_OK|MB_ICONSTOP "The folder $INSTDIR cannot be created.$\r$\n$\r$\nChoose another folder." /SD IDOK
    DetailPrint "The folder $INSTDIR cannot be created."
    Push ${EXIT_FOLDER}
    Call RestoreAndStop
    Abort

  ; Outside Program Files the folder gets permissions of its own before any
  ; file is written into it.
  StrCmp $Protect 1 0 protected
  StrCmp $CreatedFolder "" 0 +2
  Call SaveFolderSecurity
  Call ProtectFolders
  Pop $0
  StrCmp $0 1 protected
    DetailPrint "The permissions of $INSTDIR could not be set."
    Push ${EXIT_FOLDER}
    Call RestoreAndStop
    MessageBox MB_OK|MB_ICONSTOP "The permissions of the folder $INSTDIR could not be set, so Larkspire was not installed.$\r$\n$\r$\nWhat was there before is as it was." /SD IDOK
    Abort
protected:

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
  ; Files written over keep their permissions: they get the folder's before
  ; the server is loaded from there.
  StrCmp $Protect 1 0 written
  StrCpy $R2 0
  Call ProtectFiles
  Pop $0
  StrCmp $0 1 written
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

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  StrCmp $Protect 1 0 uninstaller_written
  StrCpy $R2 1
  Call ProtectFiles
  Pop $0
  StrCmp $0 1 uninstaller_written
    UnRegDLL "$INSTDIR\LSCleaners.dll"
    UnRegDLL "$INSTDIR\LSWebCaches.dll"
    DetailPrint "The permissions of $INSTDIR\${UNINSTALLER} could not be set."
    Push ${EXIT_FOLDER}
    Call RestoreAndStop
    Delete "$INSTDIR\${UNINSTALLER}"
    MessageBox MB_OK|MB_ICONSTOP "The permissions of the files in $INSTDIR could not be set, so Larkspire was not installed.$\r$\n$\r$\nWhat was there before is as it was." /SD IDOK
    Abort
uninstaller_written:

  ; The Agent starts the settings applet by this name; the applet renews the
  ; entry at every start.
  WriteRegStr HKLM "${APPPATH_KEY}" "" "$INSTDIR\LS5Panel.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Agent.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ; The folders that the uninstaller may remove: those that a setup made,
  ; this one or, over the earlier installation, that one's.
  StrCpy $0 $CreatedFolder
  StrCmp $0 "" 0 record
  StrCmp $EarlierDir $INSTDIR 0 record
  StrCpy $0 $EarlierCreated
record:
  StrCmp $0 "" 0 +3
  DeleteRegValue HKLM "${UNINST_KEY}" "${CREATED_VALUE}"
  Goto +2
  WriteRegStr HKLM "${UNINST_KEY}" "${CREATED_VALUE}" "$0"
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

  ; The settings, the Agent (to start it again after Exit) and the uninstall.
  CreateDirectory "${GROUP}"
  CreateShortCut "${GROUP}\${APPLET_LINK}" "$INSTDIR\LS5Panel.exe" "" "$INSTDIR\LS5Panel.exe" 0
  CreateShortCut "${GROUP}\${AGENT_LINK}" "$INSTDIR\Agent.exe" "" "$INSTDIR\Agent.exe" 0
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
  ; An uninstaller in another folder than the installation (a copy left
  ; after an upgrade into another folder, or one copied elsewhere) removes
  ; nothing: the files there, the classes, the shortcuts, the entries and
  ; the running Agent are not its own to remove.
  StrCmp $Registered 1 registered
    DetailPrint "No Larkspire installation is registered in $INSTDIR; nothing was removed."
    MessageBox MB_OK|MB_ICONINFORMATION "No Larkspire installation is registered in $INSTDIR, so nothing was removed." /SD IDOK
    Goto done
registered:

  ; The settings applet would write back settings that the uninstall
  ; removes; the wizard would write them too.
  Call un.SettingsClosed
  Pop $0
  StrCmp $0 1 +4
    DetailPrint "The Larkspire settings or wizard is open; nothing was removed."
    SetErrorLevel ${EXIT_CANCELLED}
    Abort

  Call un.CloseAgent
  Pop $0
  StrCmp $0 1 +4
    DetailPrint "The running Larkspire Agent did not end; nothing was removed."
    SetErrorLevel ${EXIT_AGENT}
    Abort

  ; Every user's log-on entry that names this Agent, while it is there to be
  ; recognised by any spelling.
  StrCpy $R0 $INSTDIR
  StrCpy $R1 ""
  Call un.FollowLogOnEntries

  IfFileExists "$INSTDIR\LSWebCaches.dll" 0 +2
  UnRegDLL "$INSTDIR\LSWebCaches.dll"
  IfFileExists "$INSTDIR\LSCleaners.dll" 0 +2
  UnRegDLL "$INSTDIR\LSCleaners.dll"
  Call un.ForgetClasses

  ; Only what the setup installed; a file still in use goes at the next
  ; restart.
  !insertmacro FOR_EACH_PROGRAM_FILE REMOVE_FILE
  !insertmacro REMOVE_FILE "${UNINSTALLER}"
  StrCpy $R0 $INSTDIR
  StrCpy $R1 $EarlierCreated
  Call un.RemoveMadeFolders

  Delete "${GROUP}\${APPLET_LINK}"
  Delete "${GROUP}\${AGENT_LINK}"
  Delete "${GROUP}\${UNINST_LINK}"
  RMDir "${GROUP}"
  DeleteRegKey HKLM "${APPPATH_KEY}"
  ; The keys above the catalogue go when nothing else is left in them.
  DeleteRegKey /ifempty HKLM "${CATALOGUE_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Quenlow\Larkspire"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Quenlow"

  ; The user's own settings, the Agent's sound event with them, stay unless
  ; the user asks for them to go.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Do you also want to remove your Larkspire settings?" /SD IDNO IDNO kept
  DeleteRegKey HKCU "${USER_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Quenlow"
  DeleteRegKey HKCU "${SOUND_APP_KEY}"
  DeleteRegKey HKCU "${SOUND_LABEL_KEY}"
  DeleteRegKey /ifempty HKCU "AppEvents\EventLabels"
kept:
  ; Last: an uninstall that stops before here can be run again.
  DeleteRegKey HKLM "${UNINST_KEY}"
  IfRebootFlag 0 done
    DetailPrint "Files in use are removed when Windows restarts."
    MessageBox MB_OK|MB_ICONINFORMATION \
      "Larkspire is removed, but some of its files are in use by a running program. They are removed when Windows restarts." /SD IDOK
    SetErrorLevel ${EXIT_IN_USE}
done:
SectionEnd
