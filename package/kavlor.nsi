; Kavlor's installer: both programs under Program Files, a Start-menu shortcut, an entry in the
; installed-programs list, and an uninstaller that removes exactly these again. /S installs
; (and uninstalls) silently.
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DARCH=win32 -DSTAGE=dir -DOUTFILE=file kavlor.nsi
;
; ARCH win64 makes a 64-bit installer of the 64-bit build (installed under the 64-bit Program
; Files, entry in the 64-bit registry view).
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Kavlor 简化版"
!define PUBLISHER "Kavlor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kavlor"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "win64"
    Target amd64-unicode
    InstallDir "$PROGRAMFILES64\Kavlor"
!else
    InstallDir "$PROGRAMFILES\Kavlor"
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=2052 "LegalCopyright" "© 2026 Kavlor"

!define MUI_ICON "${STAGE}\kavlor.ico"
!define MUI_UNICON "${STAGE}\kavlor.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kavlor.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; The shortcut and the entry are for every user of the machine.
!macro Machine
    SetShellVarContext all
!if "${ARCH}" == "win64"
    SetRegView 64
!endif
!macroend

Function .onInit
    !insertmacro Machine
FunctionEnd

Function un.onInit
    !insertmacro Machine
FunctionEnd

Section "Kavlor"
    SetOutPath "$INSTDIR"
    File "${STAGE}\kavlor.exe"
    File "${STAGE}\conversion.dll"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\kavlor.exe" "" "$INSTDIR\kavlor.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kavlor.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer added: anything else in the folder keeps it, and the folder with it.
Section "Uninstall"
    Delete "$INSTDIR\kavlor.exe"
    Delete "$INSTDIR\conversion.dll"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
