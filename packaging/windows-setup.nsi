; The setup program of the front end for 64-bit Windows, made by makensis (Debian's nsis) from the folder that
; scripts/windows.sh stages for the zip. It installs for the current user alone, with no administrator, into
; the user's programs folder, adds a Start menu shortcut and an entry among the installed programs, and its
; uninstaller removes exactly what the setup wrote: the files of the list that scripts/windows.sh makes from
; the staged folder, the shortcut and the entry. The user's options and any file the user put into the
; program's folder stay (and the folder with them).
;   makensis -DVERSION=<x.y.z> -DLISTS=<folder of install.nsh, uninstall.nsh> -DICON=<.ico>
;            -DOUTFILE=<setup .exe> [-DCOMPRESSOR=zlib] windows-setup.nsi
; /S installs silently, /D=<folder> (last, unquoted) names the folder; the uninstaller takes /S as well.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
; The shipped setup is packed tightly; a setup made only for a check may pass a quicker one (-DCOMPRESSOR=zlib).
!ifndef COMPRESSOR
    !define COMPRESSOR "/SOLID lzma"
!endif
SetCompressor ${COMPRESSOR}

!define PRODUCT "Vantrel Frontend"
!define PUBLISHER "The Vantrel Frontend developers"
!define EXE "vantrel-frontend.exe"
!define UNINSTALLER "uninstall.exe"
; The entry's key never changes between versions, so a new version's entry replaces the earlier one's.
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VantrelFrontend"

; The generated lists: install.nsh defines INSTALLED_KB and the macro InstallFiles, uninstall.nsh the macro
; UninstallFiles.
!include "${LISTS}/install.nsh"
!include "${LISTS}/uninstall.nsh"
!include "MUI2.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The user's own programs folder (FOLDERID_UserProgramFiles), or where an earlier version went.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) the Vantrel Frontend developers, MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed. Put NodeBuilder's vantrel.exe into $\r$\n$INSTDIR$\r$\n\
    beside ${EXE}, or into a folder of PATH."

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

; An earlier version is removed by its own uninstaller, which knows its own files: a file that this version no
; longer ships goes, and whatever the user added stays. With _?= the uninstaller runs where it lies and is
; waited for, but cannot delete itself.
Function RemoveEarlierVersion
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCmp $0 "" done
    IfFileExists "$0\${UNINSTALLER}" 0 done
    DetailPrint "Removing the earlier version from $0"
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0' $1
    StrCmp $1 0 +2
    DetailPrint "The earlier version's uninstaller ended with $1"
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
done:
FunctionEnd

Section "Install"
    Call RemoveEarlierVersion
    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    SetOutPath "$INSTDIR" ; the shortcut's folder to start in
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${INSTALLED_KB}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Never RMDir /r: a folder goes only once it is empty. The options under
; HKCU\Software\VB and VBA Program Settings\QMR\Vantrel belong to the user and are never touched. The
; shortcut and the entry go only while they are this installation's, not another folder's.
Section "Uninstall"
    !insertmacro UninstallFiles
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCmp $0 $INSTDIR 0 done
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
done:
SectionEnd
