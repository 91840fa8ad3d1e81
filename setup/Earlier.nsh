; The earlier installation: where it is, what of it an upgrade keeps until it
; has succeeded and puts back when it fails, and how an upgrade into another
; folder removes it. The uninstall entry records the folder
; ("InstallLocation") and the outermost folder that the setup made for it
; ("CreatedFolder", absent when the folder existed before): no folder that
; a setup did not make is ever removed.

!define CREATED_VALUE "CreatedFolder"

!macro EARLIER_FUNCTIONS un

; $R0: a folder, $R1 the outermost folder that a setup made for it (itself
; or one above it; "" when it made none). Removes $R0 and the folders above
; it up to $R1, each only when it is empty; one that still holds files that
; go at the next restart goes then too.
Function ${un}RemoveMadeFolders
  Push $0
  Push $1
  StrCmp $R1 "" done
  Push $R0
  Push $R1
  Call ${un}Within
  Pop $0
  StrCmp $0 1 0 done
  ; A process cannot remove its own current folder.
  SetOutPath "$TEMP"
  StrCpy $0 $R0
folder:
  IfRebootFlag 0 +3
  RMDir /REBOOTOK "$0"
  Goto +2
  RMDir "$0"
  StrCmp $0 $R1 done
  StrLen $1 $0
  IntCmp $1 3 done done
  Push $0
  Call ${un}ParentFolder
  Pop $0
  Goto folder
done:
  Pop $1
  Pop $0
FunctionEnd

!macroend

!macro HOLDS_EARLIER name
  IfFileExists "$EarlierDir\${name}" done
!macroend

!insertmacro EARLIER_FUNCTIONS ""
!insertmacro EARLIER_FUNCTIONS "un."

; EarlierDir: the long form of the folder that the uninstall entry names,
; when it still holds a file of Larkspire's, else ""; EarlierCreated: the
; outermost folder that its setup made for it, "" when it made none (or did
; not say).
Function FindEarlier
  Push $R0
  ReadRegStr $EarlierDir HKLM "${UNINST_KEY}" "InstallLocation"
  ReadRegStr $EarlierCreated HKLM "${UNINST_KEY}" "${CREATED_VALUE}"
  StrCmp $EarlierDir "" none
  StrCpy $R0 $EarlierDir
  Call LongForm
  StrCpy $EarlierDir $R0
  StrCmp $EarlierCreated "" +4
  StrCpy $R0 $EarlierCreated
  Call LongForm
  StrCpy $EarlierCreated $R0
  !insertmacro FOR_EACH_PROGRAM_FILE HOLDS_EARLIER
  IfFileExists "$EarlierDir\${UNINSTALLER}" done
none:
  StrCpy $EarlierDir ""
  StrCpy $EarlierCreated ""
done:
  Pop $R0
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
; the new server was registered), the folder's permissions as they were, and
; the folders that this setup made removed. Nothing of the earlier
; installation is lost.
Function PutBackEarlier
  Push $R0
  Push $R1
  IntCmp $Step 1 0 registration
  !insertmacro FOR_EACH_PROGRAM_FILE PUT_BACK_FILE
registration:
  IntCmp $Step 2 0 folder
  StrCmp $EarlierDir "" folder
  RegDLL "$EarlierDir\LSCleaners.dll"
  IfFileExists "$EarlierDir\LSWebCaches.dll" 0 folder
  RegDLL "$EarlierDir\LSWebCaches.dll"
folder:
  Call RestoreFolderSecurity
  StrCpy $R0 $INSTDIR
  StrCpy $R1 $CreatedFolder
  Call RemoveMadeFolders
  Pop $R1
  Pop $R0
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

; An upgrade into another folder: every user's log-on entry follows the Agent
; to its new folder, then the earlier copy goes (its files, and the folders
; that its setup made, when empty). Its classes are already the new
; installation's.
Function RemoveEarlierCopy
  Push $R0
  Push $R1
  StrCmp $EarlierDir "" done
  StrCmp $EarlierDir $INSTDIR done
  StrCpy $R0 $EarlierDir
  StrCpy $R1 $INSTDIR
  Call FollowLogOnEntries
  DetailPrint "Removing the earlier installation in $EarlierDir..."
  !insertmacro FOR_EACH_PROGRAM_FILE REMOVE_EARLIER_FILE
  !insertmacro REMOVE_EARLIER_FILE "${UNINSTALLER}"
  StrCpy $R0 $EarlierDir
  StrCpy $R1 $EarlierCreated
  Call RemoveMadeFolders
done:
  Pop $R1
  Pop $R0
FunctionEnd
