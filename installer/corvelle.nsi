; Installs gen_corvelle.dll into the player's Plugins folder and registers an uninstaller.
; Built by scripts/release: makensis -DSOURCE_DIR=<checkout> -DOUTPUT=<installer path>
Unicode true
!include "LogicLib.nsh"

!define PRODUCT "Corvelle"
!define VERSION "1.11"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvelle"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTPUT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; The player keeps its own folder as the default value of this key; without it the user
; picks the folder on the next page.
InstallDirRegKey HKCU "Software\Winamp" ""
InstallDir "$PROGRAMFILES\Winamp"
DirText "Setup will install ${PRODUCT} into the Plugins folder of the Winamp folder below."

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Corvelle"
    SetOutPath "$INSTDIR\Plugins"
    File "${SOURCE_DIR}\build\i686\gen_corvelle.dll"
    WriteUninstaller "$INSTDIR\Plugins\uninstall_corvelle.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (Winamp plug-in)"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the ${PRODUCT} developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Plugins\uninstall_corvelle.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    ; The uninstaller lives in Plugins, so $INSTDIR is that folder here.
    Delete "$INSTDIR\gen_corvelle.dll"
    Delete "$INSTDIR\uninstall_corvelle.exe"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
