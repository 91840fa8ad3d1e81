; Larkspire's running programs, which hold the files that a setup replaces
; or an uninstall removes: the Agent is asked to end, the settings applet and
; the wizard are waited for (they may hold changes the user has not applied:
; an uninstall that removed the settings would see them written back), and
; any other program that holds a file is named.

!define WM_NULL 0x0000
!define WM_CLOSE 0x0010
!define SMTO_ABORTIFHUNG 0x0002
!define SYNCHRONIZE 0x00100000
; The Agent's frame carries this property while a run is under way.
!define AGENT_BUSY_PROPERTY "Compacting"
; How long a running Agent gets to end after WM_CLOSE, in tenths of a second.
!define AGENT_WAIT 50
; How long the run of a busy Agent is waited for before the user is asked,
; in half seconds (five minutes).
!define AGENT_RUN_WAIT 600

!macro RUNNING_FUNCTIONS un

; Ends a running Agent. One that answers gets WM_CLOSE, and the setup waits
; until its process has ended. One in a run answers nothing until the run is
; over: the setup waits for that, then asks. One that hangs is asked nothing,
; so that no close that the setup gave up on is carried out afterwards.
; Leaves 1 on the stack when no Agent is left, 0 when one still runs (and
; the user chose not to retry; a silent setup at once). Sets AgentEnded when
; it ended one.
Function ${un}CloseAgent
  Push $0 ; the frame
  Push $1 ; a count, the process id
  Push $2 ; the process
  Push $3
  Push $4
retry:
  StrCpy $2 0
  FindWindow $0 "${AGENT_CLASS}"
  StrCmp $0 0 gone
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
  StrCmp $2 "error" 0 +2
  StrCpy $2 0
  System::Call 'user32::SendMessageTimeout(p r0, i ${WM_NULL}, p 0, p 0, i ${SMTO_ABORTIFHUNG}, i 1000, *p .r3) p .r4'
  StrCmp $4 0 0 answers
  System::Call 'user32::GetProp(p r0, t "${AGENT_BUSY_PROPERTY}") p .r3'
  StrCmp $3 0 hung
  DetailPrint "The Larkspire Agent is compacting your folders; waiting until it has finished..."
  StrCpy $1 0
busy:
  Sleep 500
  IsWindow $0 0 again
  System::Call 'user32::GetProp(p r0, t "${AGENT_BUSY_PROPERTY}") p .r3'
  StrCmp $3 0 again
  IntOp $1 $1 + 1
  IntCmp $1 ${AGENT_RUN_WAIT} 0 busy 0
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "The Larkspire Agent has been compacting your folders for five minutes and has not finished yet.$\r$\n$\r$\nChoose Retry to wait for it again, or Cancel to leave everything as it is." \
    /SD IDCANCEL IDRETRY again
  Goto failed
hung:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "The Larkspire Agent is running but does not respond.$\r$\n$\r$\nEnd it (for example with the Task Manager), then choose Retry." \
    /SD IDCANCEL IDRETRY again
  Goto failed
answers:
  DetailPrint "Ending the running Larkspire Agent..."
  StrCpy $AgentEnded 1
  System::Call 'user32::SendMessageTimeout(p r0, i ${WM_CLOSE}, p 0, p 0, i ${SMTO_ABORTIFHUNG}, i 5000, *p .r3) p .r4'
  ; Its files are free once its process has ended.
  StrCpy $1 0
wait:
  StrCmp $2 0 by_window
  System::Call 'kernel32::WaitForSingleObject(p r2, i 100) i .r3'
  StrCmp $3 0 again
  Goto waited
by_window:
  Sleep 100
  IsWindow $0 0 again
waited:
  IntOp $1 $1 + 1
  IntCmp $1 ${AGENT_WAIT} 0 wait 0
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "The Larkspire Agent is running and did not end.$\r$\n$\r$\nEnd it from its menu in the notification area (Exit), then choose Retry." \
    /SD IDCANCEL IDRETRY again
  Goto failed
again:
  StrCmp $2 0 retry
  System::Call 'kernel32::CloseHandle(p r2)'
  Goto retry
failed:
  StrCmp $2 0 +2
  System::Call 'kernel32::CloseHandle(p r2)'
  StrCpy $0 0
  Goto done
gone:
  StrCpy $0 1
done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Waits until neither the settings applet nor the introduction wizard is
; open. Leaves 1 on the stack, or 0 when one stays open and the user chose
; Cancel (a silent setup or uninstall at once).
Function ${un}SettingsClosed
  Push $0
retry:
  FindWindow $0 "${CONTROLS_CLASS}"
  StrCmp $0 0 0 open
  FindWindow $0 "${WELCOME_CLASS}"
  StrCmp $0 0 closed
open:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "The Larkspire settings or the Larkspire introduction wizard is open and uses files that are to be replaced or removed.$\r$\n$\r$\nClose it, then choose Retry." \
    /SD IDCANCEL IDRETRY retry
  StrCpy $0 0
  Goto done
closed:
  StrCpy $0 1
done:
  Exch $0
FunctionEnd

!macroend
!insertmacro RUNNING_FUNCTIONS ""
!insertmacro RUNNING_FUNCTIONS "un."

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
