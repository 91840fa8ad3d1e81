; Folders as the setup and the uninstaller take them. A spelling given on the
; command line (/D=, _?=) or typed on the folder page is used as given or
; refused, never quietly turned into another folder; and two spellings are
; the same folder when their long forms are, whatever the spelling (short
; names, the case of the letters).

; The longest installation folder: the paths of its files stay within
; MAX_PATH, and the installer tasks' buffer for the current folder holds it.
!define MAX_FOLDER 244

!define DRIVE_REMOVABLE 2
!define DRIVE_FIXED 3
!define DRIVE_REMOTE 4
!define DRIVE_CDROM 5
!define DRIVE_RAMDISK 6

!macro FOLDER_FUNCTIONS un

; The drive letter on the stack in capitals, or "" for any other character.
Function ${un}DriveLetter
  Exch $0
  Push $1
  Push $2
  StrCpy $1 0
letter:
  StrCpy $2 "ABCDEFGHIJKLMNOPQRSTUVWXYZ" 1 $1
  StrCmp $2 "" done
  StrCmp $2 $0 done
  IntOp $1 $1 + 1
  Goto letter
done:
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; $R0: a path. $R0 becomes its long form: every part that exists as it is
; listed (a short name replaced by the long one, the letters' case as on the
; disk), the parts after the first missing one as given, the drive letter in
; capitals. A path that does not begin with a drive stays as it is.
Function ${un}LongForm
  Push $0 ; a character, a part
  Push $1 ; the long form so far
  Push $2 ; where the next part begins
  Push $3 ; the length of $R0
  Push $4 ; where the part ends
  Push $5 ; 1 while every part so far exists
  Push $6 ; a search
  Push $7 ; a found name
  StrCpy $0 $R0 1
  Push $0
  Call ${un}DriveLetter
  Pop $0
  StrCmp $0 "" done
  StrCpy $1 $R0 2 1
  StrCmp $1 ":\" 0 done
  StrCpy $1 "$0:"
  StrCpy $2 3
  StrLen $3 $R0
  StrCpy $5 1
part:
  IntCmp $2 $3 finish 0 finish
  StrCpy $4 $2
seek:
  IntCmp $4 $3 found 0 found
  StrCpy $0 $R0 1 $4
  StrCmp $0 "\" found
  IntOp $4 $4 + 1
  Goto seek
found:
  IntOp $0 $4 - $2
  StrCpy $0 $R0 $0 $2
  IntOp $2 $4 + 1
  StrCmp $5 1 0 as_given
  ; Only a plain name is looked up: a wildcard would find another entry,
  ; and "." or ".." the folder itself or its parent.
  StrCmp $0 "" missing
  StrCmp $0 "." missing
  StrCmp $0 ".." missing
  Push $0
  Push "*?"
  Call ${un}HoldsAnyOf
  Pop $7
  StrCmp $7 1 missing
  ClearErrors
  FindFirst $6 $7 "$1\$0"
  IfErrors missing
  FindClose $6
  StrCmp $7 "" missing
  StrCpy $1 "$1\$7"
  Goto part
missing:
  StrCpy $5 0
as_given:
  StrCpy $1 "$1\$0"
  Goto part
finish:
  ; A trailing backslash stays ("C:\" is the root).
  StrCpy $0 $R0 1 -1
  StrCmp $0 "\" 0 +2
  StrCpy $1 "$1\"
  StrCpy $R0 $1
done:
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; 1 on the stack when the text pushed first holds any character of the set
; pushed second (compared with their case), else 0.
Function ${un}HoldsAnyOf
  Exch $1 ; the set
  Exch
  Exch $0 ; the text
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $5 0
  StrCpy $2 0
char:
  StrCpy $3 $0 1 $2
  StrCmp $3 "" done
  StrCpy $4 0
member:
  StrCpy $5 $1 1 $4
  StrCmp $5 "" next
  StrCmpS $5 $3 held
  IntOp $4 $4 + 1
  Goto member
next:
  StrCpy $5 0
  IntOp $2 $2 + 1
  Goto char
held:
  StrCpy $5 1
done:
  StrCpy $0 $5
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Exch $0
  Exch
  Pop $1
FunctionEnd

; 1 on the stack when the two paths on the stack name the same file or
; folder by their long forms, else 0.
Function ${un}SamePath
  Exch $R0
  Exch
  Exch $R1
  Push $0
  Call ${un}LongForm
  StrCpy $0 $R0
  StrCpy $R0 $R1
  Call ${un}LongForm
  StrCmp $R0 $0 0 +3
  StrCpy $0 1
  Goto +2
  StrCpy $0 0
  Exch $0
  Exch
  Pop $R1
  Exch
  Pop $R0
FunctionEnd

; 1 on the stack when the path pushed first is the folder pushed second or
; lies in it (both long forms), else 0.
Function ${un}Within
  Exch $R1
  Exch
  Exch $R0
  Push $0
  Push $1
  StrCpy $0 0
  StrLen $1 $R1
  StrCpy $1 $R0 $1
  StrCmp $1 $R1 0 done
  StrLen $1 $R1
  StrCpy $1 $R0 1 $1
  StrCmp $1 "" +2
  StrCmp $1 "\" 0 done
  StrCpy $0 1
done:
  Pop $1
  Exch $0
  Exch
  Pop $R0
  Exch
  Pop $R1
FunctionEnd

; The folder that holds the path on the stack ("C:" for a folder at a
; drive's root).
Function ${un}ParentFolder
  Exch $0
  Push $1
  Push $2
  StrLen $1 $0
back:
  IntOp $1 $1 - 1
  IntCmp $1 0 cut cut
  StrCpy $2 $0 1 $1
  StrCmp $2 "\" cut back
cut:
  StrCpy $0 $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; 1 on the stack when the part of a path on the stack is a device's name to
; Windows (CON, NUL, COM1, ... also with an extension), else 0.
Function ${un}DeviceName
  Exch $0
  Push $1
  Push $2
  ; The name before its first dot, without the spaces that end it.
  StrCpy $1 0
base:
  StrCpy $2 $0 1 $1
  StrCmp $2 "" based
  StrCmp $2 "." based
  IntOp $1 $1 + 1
  Goto base
based:
  StrCpy $0 $0 $1
trim:
  StrCpy $2 $0 1 -1
  StrCmp $2 " " 0 trimmed
  StrCpy $0 $0 -1
  Goto trim
trimmed:
  StrCpy $1 1
  StrCmp $0 "CON" done
  StrCmp $0 "PRN" done
  StrCmp $0 "AUX" done
  StrCmp $0 "NUL" done
  StrCmp $0 "CONIN$$" done
  StrCmp $0 "CONOUT$$" done
  StrCpy $1 0
  StrLen $2 $0
  StrCmp $2 4 0 done
  StrCpy $2 $0 3
  StrCmp $2 "COM" numbered
  StrCmp $2 "LPT" numbered done
numbered:
  StrCpy $2 $0 1 3
  Push $2
  Push "123456789"
  Call ${un}HoldsAnyOf
  Pop $1
done:
  StrCpy $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; $R0: a folder's spelling, from /D=, _?= or the folder page. Leaves "" on
; the stack and $R0 its long form when the folder can be used as given, or
; the reason why it cannot, to follow "cannot be used: ".
Function ${un}CheckFolder
  Push $0 ; a character
  Push $1 ; the length
  Push $2 ; the position
  Push $3 ; the characters that no name holds
  Push $4 ; 1 at the last part
  Push $5 ; the part
  Push $6 ; the reason
  Push $7
  StrCpy $6 ""
  StrLen $1 $R0
  StrCmp $1 0 empty
  IntCmp $1 ${MAX_FOLDER} 0 0 too_long
  StrCpy $0 $R0 1
  Push $0
  Call ${un}DriveLetter
  Pop $0
  StrCmp $0 "" not_full
  StrCpy $2 $R0 2 1
  StrCmp $2 ":\" 0 not_full
  ; One backslash may end it.
  StrCpy $2 $R0 1 -1
  StrCmp $2 "\" 0 +3
  IntOp $1 $1 - 1
  StrCpy $R0 $R0 $1
  IntCmp $1 3 root root
  System::Call 'kernel32::GetDriveType(t "$0:\") i .r2'
  StrCmp $2 ${DRIVE_FIXED} local
  StrCmp $2 ${DRIVE_REMOVABLE} local
  StrCmp $2 ${DRIVE_RAMDISK} local
  StrCmp $2 ${DRIVE_REMOTE} network
  StrCmp $2 ${DRIVE_CDROM} cd
  Goto no_drive
local:
  StrCpy $3 '<>:"/|?*'
  StrCpy $2 1
control:
  IntFmt $0 "%c" $2
  StrCpy $3 "$3$0"
  IntOp $2 $2 + 1
  IntCmp $2 32 0 control
  StrCpy $2 3
  StrCpy $5 ""
char:
  IntCmp $2 $1 last 0 last
  StrCpy $0 $R0 1 $2
  IntOp $2 $2 + 1
  StrCmp $0 "\" 0 +3
  StrCpy $4 0
  Goto part
  Push $0
  Push $3
  Call ${un}HoldsAnyOf
  Pop $7
  StrCmp $7 1 bad_char
  StrCpy $5 "$5$0"
  Goto char
last:
  StrCpy $4 1
part:
  StrCmp $5 "" empty_part
  StrCmp $5 "." dots
  StrCmp $5 ".." dots
  StrCpy $7 $5 1 -1
  StrCmp $7 "." ends
  StrCmp $7 " " ends
  Push $5
  Call ${un}DeviceName
  Pop $7
  StrCmp $7 1 device
  StrCpy $5 ""
  StrCmp $4 1 0 char
  Call ${un}LongForm
  StrLen $1 $R0
  IntCmp $1 ${MAX_FOLDER} 0 0 too_long
  IfFileExists "$R0\*.*" done
  IfFileExists "$R0" a_file done
empty:
  StrCpy $6 "no folder is given"
  Goto done
too_long:
  StrCpy $6 "it is longer than ${MAX_FOLDER} characters"
  Goto done
not_full:
  StrCpy $6 "it is not a full path that begins with a drive, such as C:\Program Files\Larkspire"
  Goto done
root:
  StrCpy $6 "it is the root of a drive"
  Goto done
network:
  StrCpy $6 "it is on a network drive"
  Goto done
cd:
  StrCpy $6 "it is on a CD drive"
  Goto done
no_drive:
  StrCpy $6 "its drive does not exist"
  Goto done
bad_char:
  StrCpy $6 "it holds a character that no name of a file or folder may hold ($0)"
  Goto done
empty_part:
  StrCpy $6 "it has an empty part (two backslashes in a row)"
  Goto done
dots:
  StrCpy $6 'its part "$5" names the folder before it or that folder$\'s parent'
  Goto done
ends:
  StrCpy $6 'its part "$5" ends in a dot or a space, which Windows leaves out'
  Goto done
device:
  StrCpy $6 'its part "$5" is the name of a device'
  Goto done
a_file:
  StrCpy $6 "it is a file"
done:
  StrCpy $0 $6
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!macroend
!insertmacro FOLDER_FUNCTIONS ""
!insertmacro FOLDER_FUNCTIONS "un."
