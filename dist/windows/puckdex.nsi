; The Windows installer of Puckdex, made by tools/windows/installer.sh with
; makensis. It installs for the user alone, without administrator rights,
; into %LOCALAPPDATA%\Programs\Puckdex, puts Puckdex in the Start menu and
; lists it under Apps (Add or remove programs) with an uninstaller. The
; uninstaller removes exactly the files the installer put there; the user's
; settings, journals and backups live elsewhere and stay.
;
; makensis -DVERSION=1.0 -DSTAGE=<install tree> -DFILES=<files.nsh>
;          -DUNFILES=<unfiles.nsh> -DSIZE_KB=<n> -DICON=<puckdex.ico>
;          -DOUTFILE=<setup.exe> puckdex.nsi

; A 64-bit installer for 64-bit programs: it also runs where no 32-bit
; Windows layer is installed (Wine without wine32).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Puckdex"

Name "Puckdex"
Caption "Puckdex ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Puckdex"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Puckdex ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Puckdex"
VIAddVersionKey /LANG=1033 "CompanyName" "The Puckdex developers"
VIAddVersionKey /LANG=1033 "FileDescription" "Puckdex Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GNU General Public License, version 3 or later"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Setup will install Puckdex ${VERSION}, the roster editor for NHL 96, for you alone: no administrator rights are needed.$\r$\n$\r$\nThe game's files are not touched by the installation.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\puckdex.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Puckdex"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\user-guide.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the user guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Puckdex will be removed from the folder below. Your settings, journals and backup copies, and the game's files, are kept."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Section "Puckdex"
    SetShellVarContext current
    !include "${FILES}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Puckdex.lnk" "$INSTDIR\puckdex.exe" "" "$INSTDIR\puckdex.exe" 0 \
        SW_SHOWNORMAL "" "Edit the player rosters of NHL 96"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Puckdex"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Puckdex developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\puckdex.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    ; Only what the installer put there: a folder the user also keeps
    ; files in is left with those files.
    !include "${UNFILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Puckdex.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
