; folder_probe.exe: the setup's judgement of folder spellings, with the
; setup's own functions (setup/Folder.nsh). Each line of the file that the
; environment variable FOLDER_PROBE_INPUT names is a spelling; each line
; written to FOLDER_PROBE_OUTPUT is "<spelling>|<long form>|<reason>", the
; reason empty when the folder can be used as given.
;
;   makensis -DARCH=x86|amd64 -DSETUP=<setup folder> -DOUTFILE=<probe> FolderProbe.nsi
!if "${ARCH}" == "amd64"
  Target amd64-unicode
!else
  Target x86-ansi
!endif
Name "Folder probe"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent

!addincludedir "${SETUP}"
!include "Folder.nsh"

Section
  ReadEnvStr $0 FOLDER_PROBE_INPUT
  ReadEnvStr $1 FOLDER_PROBE_OUTPUT
  ClearErrors
  FileOpen $8 $0 r
  FileOpen $9 $1 w
  IfErrors done
line:
  ClearErrors
  FileRead $8 $R0
  IfErrors close
trim:
  StrCpy $2 $R0 1 -1
  StrCmp $2 "$\r" +2
  StrCmp $2 "$\n" 0 trimmed
  StrCpy $R0 $R0 -1
  Goto trim
trimmed:
  StrCpy $3 $R0
  Call CheckFolder
  Pop $4
  FileWrite $9 "$3|$R0|$4$\r$\n"
  Goto line
close:
  FileClose $8
  FileClose $9
done:
SectionEnd
