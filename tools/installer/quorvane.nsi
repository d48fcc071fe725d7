; Quorvane's installer. A per-user install without administrator rights: the program and its
; preview pictures go to %LOCALAPPDATA%\Programs\Quorvane, a shortcut to the Start menu, and the
; uninstall entry to HKCU. /S installs silently; an update installs over an older version in
; place. The uninstaller (also /S) removes exactly what the installer put there: the user's
; settings (%APPDATA% and %LOCALAPPDATA%\Kestrovan\Quorvane) stay, and Firefox's profiles are
; never touched. scripts/make-packages.sh builds it:
;   makensis -DVERSION=1.2.3 -DSTAGE=<folder with Quorvane.exe and infos> -DICON=<.ico>
;            -DOUTFILE=<setup.exe> [-DSIGN=<scripts/sign.sh>] quorvane.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; Installed files carry the time they are installed, and the installer holds no build times.
SetDateSave off

!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Quorvane"
!define PUBLISHER "Kestrovan"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The class of the program's main window: while it is open, its files cannot be replaced.
!define WINDOW_CLASS "KESTROVAN_ZEL"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!ifdef SIGN
    ; A signed release signs the uninstaller, which is then made here rather than at install
    ; time, and the installer itself.
    !uninstfinalize '"${SIGN}" "%1"' = 0
    !finalize '"${SIGN}" "%1"' = 0
!endif
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An update goes where the installed version is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!macro WaitUntilProgramClosed
    ${Do}
        FindWindow $0 "${WINDOW_CLASS}"
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "${PRODUCT} is running. Close it and try again." /SD IDCANCEL IDRETRY +2
        Abort
    ${Loop}
!macroend

Section
    SetShellVarContext current
    !insertmacro WaitUntilProgramClosed
    SetOutPath "$INSTDIR"
    File "${STAGE}/Quorvane.exe"
    ; The pictures of an older version make way for this version's.
    Delete "$INSTDIR\infos\*.png"
    SetOutPath "$INSTDIR\infos"
    File "${STAGE}/infos/*.png"
    ; The shortcut's working folder is the current output folder.
    SetOutPath "$INSTDIR"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Quorvane.exe"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quorvane.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    !insertmacro WaitUntilProgramClosed
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\Quorvane.exe"
    Delete "$INSTDIR\infos\*.png"
    RMDir "$INSTDIR\infos"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
