; Larkspire's setup program. makensis builds it from the deliverables of one
; build tree:
;
;   makensis -DARCH=x86|amd64 -DBINDIR=<build>/bin -DOUTFILE=<package> setup/Larkspire.nsi
;
; x86 is the shipped package (ANSI, as the programs it installs); amd64 holds
; the x86_64 build of the same sources and installs into the 64-bit views.
;
; Exit codes of the setup program (what /S callers see):
;   0 installed, 1 cancelled by the user, 2 aborted by NSIS itself,
;   3 the installation folder cannot be created,
;   4 the component server could not be registered (nothing is left registered),
;   5 a running Agent did not end (nothing was changed).
; The uninstaller returns 0, or 5 when a running Agent did not end.

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
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspire"
!define APPPATH_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Larkspire Agent"
!define USER_KEY "Software\Quenlow\Larkspire"
!define CATALOGUE_KEY "SOFTWARE\Quenlow\Larkspire\Components"
!define GROUP "$SMPROGRAMS\Larkspire"
!define APPLET_LINK "Larkspire Settings.lnk"
!define UNINST_LINK "Uninstall Larkspire.lnk"
!define UNINSTALLER "Uninstall.exe"
; How long a running Agent gets to end after WM_CLOSE, in tenths of a second.
!define AGENT_WAIT 50

!define EXIT_FOLDER 3
!define EXIT_REGISTER 4
!define EXIT_AGENT 5

!if "${ARCH}" == "amd64"
  Target amd64-unicode
  !define PROGRAMS_ROOT "$PROGRAMFILES64"
!else if "${ARCH}" == "x86"
  Target x86-ansi
  !define PROGRAMS_ROOT "$PROGRAMFILES"
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

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Ends a running Agent: its frame window gets WM_CLOSE, then the setup waits
; until no frame window of the Agent's class is left. Leaves 1 on the stack
; when none is left, 0 when one still runs after the wait (and the user chose
; not to retry).
!macro CLOSE_AGENT un
Function ${un}CloseAgent
  Push $0
  Push $1
retry:
  FindWindow $0 "${AGENT_CLASS}"
  StrCmp $0 0 gone
  DetailPrint "Ending the running Larkspire Agent..."
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
FunctionEnd

Function un.onInit
  !insertmacro VIEWS
FunctionEnd

; Removes the component server's registration, the programs, the shortcuts
; and the entries that name them: used when a failed step leaves the
; installation unusable. The user's settings stay.
Function UndoFiles
  UnRegDLL "$INSTDIR\LSCleaners.dll"
  Delete "$INSTDIR\LSCleaners.dll"
  Delete "$INSTDIR\Agent.exe"
  Delete "$INSTDIR\LS5Panel.exe"
  Delete "$INSTDIR\LSWelcome.exe"
  Delete "$INSTDIR\LSInstall.exe"
  Delete "$INSTDIR\LSAutorun.inf"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "${GROUP}\${APPLET_LINK}"
  Delete "${GROUP}\${UNINST_LINK}"
  RMDir "${GROUP}"
  DeleteRegKey HKLM "${UNINST_KEY}"
  DeleteRegKey HKLM "${APPPATH_KEY}"
  ; A process cannot remove its own current folder.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
FunctionEnd

Section "Larkspire"
  SectionIn RO

  ; An Agent of an earlier installation holds its files open.
  Call CloseAgent
  Pop $0
  StrCmp $0 1 +4
    DetailPrint "The running Larkspire Agent did not end; nothing was changed."
    SetErrorLevel ${EXIT_AGENT}
    Abort

  ClearErrors
  CreateDirectory "$INSTDIR"
  IfFileExists "$INSTDIR\*.*" +5
    MessageBox MB_OK|MB_ICONSTOP "The folder $INSTDIR cannot be created.$\r$\n$\r$\nChoose another folder." /SD IDOK
    DetailPrint "The folder $INSTDIR cannot be created."
    SetErrorLevel ${EXIT_FOLDER}
    Abort

  SetOutPath "$INSTDIR"
  SetOverwrite on
  ClearErrors
  File "${BINDIR}/LSCleaners.dll"
  File "${BINDIR}/Agent.exe"
  File "${BINDIR}/LS5Panel.exe"
  File "${BINDIR}/LSWelcome.exe"
  File "${BINDIR}/LSInstall.exe"
  File "${BINDIR}/LSAutorun.inf"
  IfErrors 0 +5
    Call UndoFiles
    MessageBox MB_OK|MB_ICONSTOP "The files could not be written into $INSTDIR." /SD IDOK
    SetErrorLevel ${EXIT_FOLDER}
    Abort

  ClearErrors
  RegDLL "$INSTDIR\LSCleaners.dll"
  IfErrors 0 registered
    Call UndoFiles
    MessageBox MB_OK|MB_ICONSTOP "The Larkspire components could not be registered, so Larkspire was not installed.$\r$\n$\r$\nYour Larkspire settings were kept." /SD IDOK
    DetailPrint "LSCleaners.dll could not be registered."
    SetErrorLevel ${EXIT_REGISTER}
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

  ; What an administrator's silent installation leaves to the user: the
  ; Startup question, the first configuration and the Agent's first start.
  IfSilent done
  ; LSInstall finds LSAutorun.inf in its current folder.
  SetOutPath "$INSTDIR"
  DetailPrint "Offering the Agent a place in the Startup group..."
  ExecWait '"$INSTDIR\LSInstall.exe" /startmeup'
  DetailPrint "Starting the introduction wizard..."
  ExecWait '"$INSTDIR\LSWelcome.exe"'
  MessageBox MB_YESNO|MB_ICONQUESTION "Do you want to start the Larkspire Agent now?" IDNO done
  Exec '"$INSTDIR\Agent.exe"'
done:
SectionEnd

Section "Uninstall"
  SetAutoClose true
  Call un.CloseAgent
  Pop $0
  StrCmp $0 1 +4
    DetailPrint "The running Larkspire Agent did not end; nothing was removed."
    SetErrorLevel ${EXIT_AGENT}
    Abort

  IfFileExists "$INSTDIR\LSCleaners.dll" 0 +2
    UnRegDLL "$INSTDIR\LSCleaners.dll"
  Delete "$INSTDIR\LSCleaners.dll"
  Delete "$INSTDIR\Agent.exe"
  Delete "$INSTDIR\LS5Panel.exe"
  Delete "$INSTDIR\LSWelcome.exe"
  Delete "$INSTDIR\LSInstall.exe"
  Delete "$INSTDIR\LSAutorun.inf"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  Delete "${GROUP}\${APPLET_LINK}"
  Delete "${GROUP}\${UNINST_LINK}"
  RMDir "${GROUP}"

  ; The log-on entry that LSAutorun.inf adds, for the user who uninstalls.
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKLM "${APPPATH_KEY}"
  DeleteRegKey HKLM "${UNINST_KEY}"
  ; The component server removes its own catalogue entries; the keys above
  ; them go when nothing else is left in them.
  DeleteRegKey /ifempty HKLM "${CATALOGUE_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Quenlow\Larkspire"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Quenlow"

  ; The user's own settings stay unless the user asks for them to go.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Do you also want to remove your Larkspire settings?" /SD IDNO IDNO kept
  DeleteRegKey HKCU "${USER_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Quenlow"
kept:
SectionEnd
