; The installation folder: the one that /D= or the folder page gives, used
; as given or refused; whether it may take the installation; the folders
; that the setup makes for it.

; The folder that " /D=" gives on the command line, found as NSIS finds it
; (a switch that begins an argument, after a space), in $R0; "" without one.
; NSIS itself drops the characters that names cannot hold, and takes the
; earlier folder or the default for a spelling it does not accept: the setup
; reads the command line again to see what was given.
Function CommandLineFolder
  Push $0 ; the command line
  Push $1 ; the position
  Push $2 ; a character
  Push $3 ; the character that ends the argument
  Push $4 ; the length
  System::Call 'kernel32::GetCommandLine() t .r0'
  StrLen $4 $0
  StrCpy $R0 ""
  StrCpy $1 0
  StrCpy $3 " "
  StrCpy $2 $0 1
  StrCmp $2 '"' 0 name
  StrCpy $3 '"'
  IntOp $1 $1 + 1
name:
  IntCmp $1 $4 done 0 done
  StrCpy $2 $0 1 $1
  IntOp $1 $1 + 1
  StrCmp $2 $3 arguments name
arguments:
  IntCmp $1 $4 done 0 done
  StrCpy $2 $0 1 $1
  StrCmp $2 " " 0 argument
  IntOp $1 $1 + 1
  Goto arguments
argument:
  StrCpy $3 " "
  StrCmp $2 '"' 0 +3
  StrCpy $3 '"'
  IntOp $1 $1 + 1
  StrCpy $2 $0 1 $1
  StrCmp $2 "/" 0 skip
  IntOp $1 $1 + 1
  IntOp $2 $1 - 2
  IntCmp $2 0 0 skip
  StrCpy $2 $0 4 $2
  StrCmpS $2 " /D=" 0 skip
  IntOp $1 $1 + 2
  StrCpy $R0 $0 "" $1
  Goto done
skip:
  IntCmp $1 $4 done 0 done
  StrCpy $2 $0 1 $1
  IntOp $1 $1 + 1
  StrCmp $2 $3 0 skip
  Goto arguments
done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The folder that the last " _?=" of the command line gives, as NSIS finds
; it, in $R0; "" without one.
Function un.CommandLineFolder
  Push $0
  Push $1
  Push $2
  System::Call 'kernel32::GetCommandLine() t .r0'
  StrLen $1 $0
  StrCpy $R0 ""
back:
  IntOp $1 $1 - 1
  IntCmp $1 0 0 done
  StrCpy $2 $0 4 $1
  StrCmpS $2 " _?=" 0 back
  IntOp $1 $1 + 4
  StrCpy $R0 $0 "" $1
done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $INSTDIR as given: the folder of /D=, used as it was given or refused
; (exit code 3, nothing changed); else the earlier installation's or the
; default; in its long form.
Function ChooseFolder
  Push $R0
  Push $R1
  Push $R2
  Call CommandLineFolder
  StrCmp $R0 "" chosen_by_nsis
  StrCpy $R2 $R0
  Call CheckFolder
  Pop $R1
  StrCmp $R1 "" 0 unusable
  StrCpy $INSTDIR $R0
  Goto done
chosen_by_nsis:
  StrCpy $R0 $INSTDIR
  Call CheckFolder
  Pop $R1
  StrCmp $R1 "" +3
  StrCpy $R0 "${PROGRAMS_ROOT}\Larkspire"
  Call LongForm
  StrCpy $INSTDIR $R0
done:
  Pop $R2
  Pop $R1
  Pop $R0
  Return
unusable:
  MessageBox MB_OK|MB_ICONSTOP "The folder $R2 cannot be used: $R1.$\r$\n$\r$\nNothing was changed." /SD IDOK
  SetErrorLevel ${EXIT_FOLDER}
  Quit
FunctionEnd

!define FOREIGN_FOLDER_TEXT \
  "The folder $INSTDIR already holds files of another program.$\r$\n$\r$\nLarkspire is installed only into a new or empty folder, or over an earlier Larkspire installation, so that no other program's files are replaced or later removed. Choose another folder, for example $INSTDIR\Larkspire."

!define PENDING_TEXT \
  "Files in $INSTDIR are removed when Windows restarts: an earlier uninstall left them there because they were in use. The restart would remove Larkspire's new files with them.$\r$\n$\r$\nRestart Windows, then run this setup again."

; "" on the stack when $INSTDIR may take the installation, else what to tell
; the user. It may be a folder that does not exist yet, an empty one, or the
; earlier installation's, not one that holds anything else (whose files this
; setup must not replace, nor its uninstaller remove later). Outside Program
; Files, where the setup gives the folder permissions of its own, neither it
; nor a folder above it may belong to an account that is not an
; administrator. Sets Protect.
Function FolderRefusal
  Push $0
  Push $1
  Push $2
  StrCpy $2 ""
  StrCmp $EarlierDir "" +2
  StrCmp $EarlierDir $INSTDIR owners
  ClearErrors
  FindFirst $0 $1 "$INSTDIR\*.*"
  IfErrors owners
next:
  StrCmp $1 "" listed
  StrCmp $1 "." +3
  StrCmp $1 ".." +2
  StrCpy $2 "${FOREIGN_FOLDER_TEXT}"
  FindNext $0 $1
  Goto next
listed:
  FindClose $0
  StrCmp $2 "" 0 done
owners:
  StrCpy $Protect 0
  Call OutsidePrograms
  Pop $0
  StrCmp $0 1 0 done
  Call VolumeKeepsPermissions
  Pop $0
  StrCmp $0 1 0 done
  StrCpy $Protect 1
  Call ForeignOwnedFolder
  Pop $0
  StrCmp $0 "" done
  StrCpy $2 "The folder $0 belongs to an account that is not an administrator, which could change Larkspire's files there and so run programs as every user of this computer.$\r$\n$\r$\nChoose another folder, for example one in $PROGRAMFILES."
done:
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The folder as it was typed (NSIS drops the characters that names cannot
; hold), judged as /D= is; the page stays until it may be used.
Function DirectoryLeave
  Push $0
  Push $R0
  Push $R1
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $0 $0 1019
  System::Call 'user32::GetWindowText(p r0, t .R0, i ${NSIS_MAX_STRLEN}) i'
  StrCpy $R1 $R0
  Call CheckFolder
  Pop $0
  StrCmp $0 "" 0 unusable
  StrCpy $INSTDIR $R0
  Call PendingInFolder
  Pop $0
  StrCmp $0 1 pending
  Call FolderRefusal
  Pop $0
  StrCmp $0 "" usable
  MessageBox MB_OK|MB_ICONEXCLAMATION "$0"
  Goto stay
pending:
  MessageBox MB_OK|MB_ICONEXCLAMATION "${PENDING_TEXT}"
  Goto stay
unusable:
  MessageBox MB_OK|MB_ICONEXCLAMATION "The folder $R1 cannot be used: $0.$\r$\n$\r$\nChoose another folder."
stay:
  Pop $R1
  Pop $R0
  Pop $0
  Abort
usable:
  Pop $R1
  Pop $R0
  Pop $0
FunctionEnd

; $CreatedFolder: the outermost folder of $INSTDIR that does not exist yet.
Function FindFolderToMake
  Push $0
  Push $1
  StrCpy $CreatedFolder ""
  StrCpy $0 $INSTDIR
up:
  IfFileExists "$0\*.*" done
  StrCpy $CreatedFolder $0
  Push $0
  Call ParentFolder
  Pop $0
  StrLen $1 $0
  IntCmp $1 2 done done
  Goto up
done:
  Pop $1
  Pop $0
FunctionEnd

