; The component servers' registration as the setup reads it back and as the
; uninstaller removes it: the five classes with their ProgIDs and their
; catalogue entries. DllRegisterServer's success proves nothing (it succeeds
; where it could write nothing), and DllUnregisterServer cannot run when the
; server is gone: the keys themselves are read and removed.

; Each class: the server that holds it, its CLSID, its ProgID (the versioned
; one adds "1.0") and its catalogue entry.
!macro FOR_EACH_CLASS what
  !insertmacro ${what} "LSCleaners.dll" "{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}" "LSWinTempFiles" "Windows Temporary Files"
  !insertmacro ${what} "LSCleaners.dll" "{DEA42F23-E78A-11D1-B601-0080C866E8E5}" "LSAltPaths" "Other Folders"
  !insertmacro ${what} "LSCleaners.dll" "{7AC4C283-E7A4-11D1-B601-0080C866E8E5}" "LSNetscape" "Netscape Browser"
  !insertmacro ${what} "LSCleaners.dll" "{8A3403B3-E7AD-11D1-B601-0080C866E8E5}" "LSIExplorer" "Internet Explorer Browser"
  !insertmacro ${what} "LSWebCaches.dll" "{8F1EA404-30F8-40B4-AC01-65E4E3E8BD80}" "LSWebCaches" "Web Browser Caches"
!macroend

; Each class's names for the functions below: $R7 its server, $R3 its
; CLSID, $R4 its ProgID and $R6 the versioned one, $R5 its catalogue entry.
!macro CLASS_NAMES server clsid progid name
  StrCpy $R7 "${server}"
  StrCpy $R3 "${clsid}"
  StrCpy $R4 "${progid}"
  StrCpy $R6 "${progid}1.0"
  StrCpy $R5 "${name}"
!macroend

; $0 becomes 0 unless the class $R3 names its server in $INSTDIR and the
; catalogue lists it.
Function ClassRegistered
  Push $1
  ReadRegStr $1 HKCR "CLSID\$R3\InprocServer32" ""
  Push $1
  Push "$INSTDIR\$R7"
  Call SamePath
  Pop $1
  StrCmp $1 1 +2
  StrCpy $0 0
  ReadRegStr $1 HKLM "${CATALOGUE_KEY}\$R5" "CLSID"
  StrCmp $1 $R3 +2
  StrCpy $0 0
  Pop $1
FunctionEnd

!macro REGISTERED server clsid progid name
  !insertmacro CLASS_NAMES "${server}" "${clsid}" "${progid}" "${name}"
  Call ClassRegistered
!macroend

; 1 on the stack when every class names its server in $INSTDIR and the
; catalogue lists it, else 0.
Function Registered
  Push $0
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  StrCpy $0 1
  !insertmacro FOR_EACH_CLASS REGISTERED
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Exch $0
FunctionEnd

; The class $R3, when it names its server $R7 in $INSTDIR or none at all: the
; keys that DllRegisterServer writes, each only when nothing else was put
; below it; its ProgIDs and its catalogue entry when they name this class.
; A class of another server is left with its ProgIDs and its entry.
Function un.ForgetClass
  Push $1
  ClearErrors
  ReadRegStr $1 HKCR "CLSID\$R3\InprocServer32" ""
  IfErrors ours
  Push $1
  Push "$INSTDIR\$R7"
  Call un.SamePath
  Pop $1
  StrCmp $1 1 0 done
ours:
  DeleteRegKey /ifnosubkeys HKCR "CLSID\$R3\InprocServer32"
  DeleteRegKey /ifnosubkeys HKCR "CLSID\$R3\NotInsertable"
  DeleteRegKey /ifnosubkeys HKCR "CLSID\$R3\ProgID"
  DeleteRegKey /ifnosubkeys HKCR "CLSID\$R3\VersionIndependentProgID"
  DeleteRegKey /ifnosubkeys HKCR "CLSID\$R3"
  ReadRegStr $1 HKCR "$R4\CLSID" ""
  StrCmp $1 $R3 0 versioned
  DeleteRegKey /ifnosubkeys HKCR "$R4\CurVer"
  DeleteRegKey /ifnosubkeys HKCR "$R4\CLSID"
  DeleteRegKey /ifnosubkeys HKCR "$R4"
versioned:
  ReadRegStr $1 HKCR "$R6\CLSID" ""
  StrCmp $1 $R3 0 catalogue
  DeleteRegKey /ifnosubkeys HKCR "$R6\CLSID"
  DeleteRegKey /ifnosubkeys HKCR "$R6"
catalogue:
  ReadRegStr $1 HKLM "${CATALOGUE_KEY}\$R5" "CLSID"
  StrCmp $1 $R3 0 done
  DeleteRegKey /ifnosubkeys HKLM "${CATALOGUE_KEY}\$R5"
done:
  Pop $1
FunctionEnd

!macro FORGET_CLASS server clsid progid name
  !insertmacro CLASS_NAMES "${server}" "${clsid}" "${progid}" "${name}"
  Call un.ForgetClass
!macroend

; After DllUnregisterServer, or in its place when the server is gone or
; cannot be loaded: no key of the installation's classes is left.
Function un.ForgetClasses
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  !insertmacro FOR_EACH_CLASS FORGET_CLASS
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
FunctionEnd

; 1 on the stack when the classes name the server in $INSTDIR, else 0.
Function un.ClassesNameFolder
  Push $0
  ReadRegStr $0 HKCR "CLSID\{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}\InprocServer32" ""
  StrCmp $0 "" +5
  Push $0
  Push "$INSTDIR\LSCleaners.dll"
  Call un.SamePath
  Goto +2
  Push 0
  Exch
  Pop $0
FunctionEnd
