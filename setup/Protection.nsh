; The installation folder's permissions. Every user's Agent, and the
; elevated setup and uninstaller, load LSCleaners.dll from it: whoever may
; change its files runs code as every other user and as the administrator.
; A folder in Program Files has the system's protection. Outside it the
; folder, and every folder that the setup makes for it, gets a DACL of its
; own, not inherited: Administrators and SYSTEM full control, Users read and
; execute; the installed files get the same. A folder that exists already,
; or any folder above it, must belong to the Administrators or to SYSTEM:
; its owner may always change its DACL. Volumes that keep no permissions
; (FAT, and every disk of Windows 95 and 98) have nothing to protect.

!define OWNER_SECURITY_INFORMATION 1
!define DACL_SECURITY_INFORMATION 4
!define SE_DACL_PROTECTED 0x1000
!define ACL_REVISION 2
!define FILE_ALL_ACCESS 0x1F01FF
!define FILE_READ_AND_EXECUTE 0x1200A9
!define OBJECT_AND_CONTAINER_INHERIT 3
!define FILE_PERSISTENT_ACLS 0x8

; Built once: S-1-5-32-544, S-1-5-18, S-1-5-32-545.
Var AdministratorsSid
Var SystemSid
Var UsersSid
; The DACL of the existing installation folder before this setup changed it
; (a self-relative security descriptor), put back when the setup fails; 0
; when there is none to put back.
Var SavedSecurity

Function MakeWellKnownSids
  Push $0
  Push $1
  StrCmp $AdministratorsSid "" 0 done
  ; SECURITY_NT_AUTHORITY
  System::Call '*(&i1 0, &i1 0, &i1 0, &i1 0, &i1 0, &i1 5) p .r0'
  System::Call 'advapi32::AllocateAndInitializeSid(p r0, i 2, i 32, i 544, i 0, i 0, i 0, i 0, i 0, i 0, *p .r1) i'
  StrCpy $AdministratorsSid $1
  System::Call 'advapi32::AllocateAndInitializeSid(p r0, i 1, i 18, i 0, i 0, i 0, i 0, i 0, i 0, i 0, *p .r1) i'
  StrCpy $SystemSid $1
  System::Call 'advapi32::AllocateAndInitializeSid(p r0, i 2, i 32, i 545, i 0, i 0, i 0, i 0, i 0, i 0, *p .r1) i'
  StrCpy $UsersSid $1
  System::Free $0
done:
  Pop $1
  Pop $0
FunctionEnd

; 1 on the stack when $INSTDIR lies outside every Program Files folder of
; this computer (the 32-bit and the 64-bit one), else 0.
Function OutsidePrograms
  Push $0
  Push $R0
  StrCpy $0 1
  StrCpy $R0 $PROGRAMFILES32
  Call LongForm
  Push $INSTDIR
  Push $R0
  Call Within
  Pop $R0
  StrCmp $R0 1 inside
  StrCpy $R0 $PROGRAMFILES64
  Call LongForm
  Push $INSTDIR
  Push $R0
  Call Within
  Pop $R0
  StrCmp $R0 1 0 done
inside:
  StrCpy $0 0
done:
  Pop $R0
  Exch $0
FunctionEnd

; 1 on the stack when the volume of $INSTDIR keeps permissions, else 0.
Function VolumeKeepsPermissions
  Push $0
  Push $1
  !insertmacro SEAM $0 LARKSPIRE_TEST_ACLS
  StrCmp $0 "none" none
  StrCpy $0 $INSTDIR 3
  System::Call 'kernel32::GetVolumeInformation(t r0, p 0, i 0, p 0, p 0, *i .r1, p 0, i 0) i .r0'
  IntCmp $0 0 none
  IntOp $1 $1 & ${FILE_PERSISTENT_ACLS}
  IntCmp $1 0 none
  StrCpy $0 1
  Goto done
none:
  StrCpy $0 0
done:
  Pop $1
  Exch $0
FunctionEnd

; 1 on the stack when the file or folder on the stack belongs to the
; Administrators or to SYSTEM, else 0 (also when its owner cannot be read).
Function OwnedByAdministrators
  Exch $R0
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  !insertmacro SEAM $0 LARKSPIRE_TEST_OWNER
  StrCmp $0 "administrators" 0 +3
  StrCpy $3 1
  Goto done
  Call MakeWellKnownSids
  StrCpy $1 0
  System::Call 'advapi32::GetFileSecurity(t R0, i ${OWNER_SECURITY_INFORMATION}, p 0, i 0, *i .r1) i'
  IntCmp $1 0 done done
  System::Alloc $1
  Pop $2
  System::Call 'advapi32::GetFileSecurity(t R0, i ${OWNER_SECURITY_INFORMATION}, p r2, i r1, *i .r1) i .r0'
  IntCmp $0 0 freed
  System::Call 'advapi32::GetSecurityDescriptorOwner(p r2, *p .r1, *i .r0) i .r0'
  IntCmp $0 0 freed
  StrCmp $1 0 freed
  System::Call 'advapi32::EqualSid(p r1, p $AdministratorsSid) i .r0'
  IntCmp $0 0 0 owned owned
  System::Call 'advapi32::EqualSid(p r1, p $SystemSid) i .r0'
  IntCmp $0 0 freed
owned:
  StrCpy $3 1
freed:
  System::Free $2
done:
  StrCpy $R0 $3
  Pop $3
  Pop $2
  Pop $1
  Pop $0
  Exch $R0
FunctionEnd

; "" on the stack when every folder of $INSTDIR that exists, from below the
; drive's root down, belongs to the Administrators or to SYSTEM; else the
; first that does not.
Function ForeignOwnedFolder
  Push $0
  Push $1
  Push $2
  StrCpy $2 ""
  StrCpy $0 $INSTDIR
up:
  StrLen $1 $0
  IntCmp $1 2 done done
  IfFileExists "$0\*.*" 0 parent
  Push $0
  Call OwnedByAdministrators
  Pop $1
  StrCmp $1 1 parent
  StrCpy $2 $0
parent:
  Push $0
  Call ParentFolder
  Pop $0
  Goto up
done:
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Gives the path $R0 the installation's own DACL: for a folder ($R1 1)
; inherited by what is made in it, for a file ($R1 0) its own. Marked
; protected where the system knows inheritance (Windows 2000 and later), so
; that no permission of the folders above it flows in. With $R3 1 the
; Administrators become its owner too: what the setup made or wrote belongs
; to no one who was quicker to make it (an owner may change the DACL). 1 on
; the stack when it was set, else 0.
Function ProtectPath
  Push $0
  Push $1 ; the ACL
  Push $2 ; the security descriptor
  Push $3
  Push $4
  Call MakeWellKnownSids
  System::Alloc 256
  Pop $1
  System::Alloc 64
  Pop $2
  StrCpy $4 0
  System::Call 'advapi32::InitializeAcl(p r1, i 256, i ${ACL_REVISION}) i .r0'
  IntCmp $0 0 freed
  System::Call 'advapi32::AddAccessAllowedAce(p r1, i ${ACL_REVISION}, i ${FILE_ALL_ACCESS}, p $AdministratorsSid) i .r0'
  IntCmp $0 0 freed
  System::Call 'advapi32::AddAccessAllowedAce(p r1, i ${ACL_REVISION}, i ${FILE_ALL_ACCESS}, p $SystemSid) i .r0'
  IntCmp $0 0 freed
  System::Call 'advapi32::AddAccessAllowedAce(p r1, i ${ACL_REVISION}, i ${FILE_READ_AND_EXECUTE}, p $UsersSid) i .r0'
  IntCmp $0 0 freed
  StrCmp $R1 1 0 made
  ; The ACEs' flags, as AddAccessAllowedAceEx sets them where it exists
  ; (Windows 2000 and later): inherited by files and folders made inside.
  StrCpy $3 0
inherit:
  System::Call 'advapi32::GetAce(p r1, i r3, *p .r0) i .r4'
  IntCmp $4 0 freed
  System::Call '*$0(&i1 0, &i1 ${OBJECT_AND_CONTAINER_INHERIT})'
  IntOp $3 $3 + 1
  IntCmp $3 3 0 inherit
made:
  StrCpy $4 0
  System::Call 'advapi32::InitializeSecurityDescriptor(p r2, i 1) i .r0'
  IntCmp $0 0 freed
  System::Call 'advapi32::SetSecurityDescriptorDacl(p r2, i 1, p r1, i 0) i .r0'
  IntCmp $0 0 freed
  ; Unknown before Windows 2000, where no DACL is inherited after it is made.
  System::Call 'advapi32::SetSecurityDescriptorControl(p r2, i ${SE_DACL_PROTECTED}, i ${SE_DACL_PROTECTED}) i'
  StrCpy $3 ${DACL_SECURITY_INFORMATION}
  StrCmp $R3 1 0 +4
  System::Call 'advapi32::SetSecurityDescriptorOwner(p r2, p $AdministratorsSid, i 0) i .r0'
  IntCmp $0 0 freed
  IntOp $3 $3 | ${OWNER_SECURITY_INFORMATION}
  System::Call 'advapi32::SetFileSecurity(t R0, i r3, p r2) i .r4'
  IntCmp $4 0 freed
  StrCpy $4 1
freed:
  System::Free $2
  System::Free $1
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Keeps the DACL of the existing $INSTDIR in SavedSecurity.
Function SaveFolderSecurity
  Push $0
  Push $1
  StrCpy $1 0
  System::Call 'advapi32::GetFileSecurity(t "$INSTDIR", i ${DACL_SECURITY_INFORMATION}, p 0, i 0, *i .r1) i'
  IntCmp $1 0 done done
  System::Alloc $1
  Pop $0
  System::Call 'advapi32::GetFileSecurity(t "$INSTDIR", i ${DACL_SECURITY_INFORMATION}, p r0, i r1, *i .r1) i .r1'
  IntCmp $1 0 0 +3 +3
  System::Free $0
  Goto done
  StrCpy $SavedSecurity $0
done:
  Pop $1
  Pop $0
FunctionEnd

; Puts back the DACL that $INSTDIR had before this setup, when it was saved.
Function RestoreFolderSecurity
  StrCmp $SavedSecurity 0 done
  StrCmp $SavedSecurity "" done
  System::Call 'advapi32::SetFileSecurity(t "$INSTDIR", i ${DACL_SECURITY_INFORMATION}, p $SavedSecurity) i'
done:
FunctionEnd

; The folders of the installation that this setup made ($INSTDIR up to
; CreatedFolder), with the Administrators for their owner, or the existing
; $INSTDIR alone get the installation's DACL. 1 on the stack when every one
; was set, else 0.
Function ProtectFolders
  Push $0
  Push $1
  Push $R0
  Push $R1
  Push $R3
  StrCpy $1 1
  StrCpy $R1 1
  StrCpy $R3 0
  StrCmp $CreatedFolder "" +2
  StrCpy $R3 1
  StrCpy $R0 $INSTDIR
folder:
  Call ProtectPath
  Pop $0
  StrCmp $0 1 +2
  StrCpy $1 0
  StrCmp $CreatedFolder "" done
  StrCmp $R0 $CreatedFolder done
  StrLen $0 $R0
  IntCmp $0 2 done done
  Push $R0
  Call ParentFolder
  Pop $R0
  Goto folder
done:
  StrCpy $0 $1
  Pop $R3
  Pop $R1
  Pop $R0
  Pop $1
  Exch $0
FunctionEnd

!macro PROTECT_FILE name
  StrCpy $R0 "$INSTDIR\${name}"
  Call ProtectPath
  Pop $0
  StrCmp $0 1 +2
  StrCpy $1 0
!macroend

; The programs in $INSTDIR get the installation's DACL, also those that an
; upgrade wrote over and that kept the permissions they had; with $R2 1 the
; uninstaller too. 1 on the stack when every one was set, else 0.
Function ProtectFiles
  Push $0
  Push $1
  Push $R0
  Push $R1
  Push $R3
  StrCpy $1 1
  StrCpy $R1 0
  StrCpy $R3 1
  StrCmp $R2 1 uninstaller
  !insertmacro FOR_EACH_PROGRAM_FILE PROTECT_FILE
  Goto done
uninstaller:
  !insertmacro PROTECT_FILE "${UNINSTALLER}"
done:
  StrCpy $0 $1
  Pop $R3
  Pop $R1
  Pop $R0
  Pop $1
  Exch $0
FunctionEnd
