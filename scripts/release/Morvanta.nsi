; Morvanta's per-user installer (NSIS 3, 64-bit Unicode). scripts/package runs makensis with
; VERSION, STAGE (the folder of files to install), OUTFILE, ICON and, for a signed release,
; SIGN (a command that signs the file named by its last argument in place).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvanta"
!define PROGID "Morvanta.Recording"
!define SHCNE_ASSOCCHANGED 0x08000000

Name "Morvanta ${VERSION}"
OutFile "${OUTFILE}"
; A standard user can write here: no administrator, no elevation prompt.
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Morvanta"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
!ifdef SIGN
!uninstfinalize '${SIGN} "%1"' = 0
!endif

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "Morvanta"
VIAddVersionKey /LANG=2052 "CompanyName" "Morvanta"
VIAddVersionKey /LANG=2052 "FileDescription" "Morvanta setup"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Morvanta"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; Files in use cannot be replaced or removed: the user closes the programs first, or the
; installer stops before it has changed anything.
!macro CHECK_RUNNING un
Function ${un}CheckRunning
    retry:
    FindWindow $0 "TFrmMain"
    ${If} $0 == 0
        ClearErrors
        ${If} ${FileExists} "$INSTDIR\MorvantaPlayer.exe"
            FileOpen $1 "$INSTDIR\MorvantaPlayer.exe" a
            ${IfNot} ${Errors}
                FileClose $1
                Return
            ${EndIf}
        ${Else}
            Return
        ${EndIf}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Morvanta 正在运行。请先退出录像程序和播放器, 再点击“重试”。" /SD IDCANCEL IDRETRY retry
    Abort
FunctionEnd
!macroend
!insertmacro CHECK_RUNNING ""
!insertmacro CHECK_RUNNING "un."

Section "Morvanta"
    Call CheckRunning
    SetOutPath "$INSTDIR"
    ; Morvanta.ini and the recordings beside the programs belong to the user and stay.
    File "${STAGE}\Morvanta.exe"
    File "${STAGE}\HeadFile.hdf"
    File "${STAGE}\MorvantaPlayer.exe"
    File "${STAGE}\mrvtool.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE-zlib.txt"
    File "${STAGE}\LICENSE-stb.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "$SMPROGRAMS\Morvanta"
    CreateShortCut "$SMPROGRAMS\Morvanta\Morvanta.lnk" "$INSTDIR\Morvanta.exe"
    CreateShortCut "$SMPROGRAMS\Morvanta\Morvanta 播放器.lnk" "$INSTDIR\MorvantaPlayer.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Morvanta"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Morvanta"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Morvanta.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/M=*.* /S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; .mrv files open in the installed player, for this user only.
    WriteRegStr HKCU "Software\Classes\.mrv" "" "${PROGID}"
    WriteRegStr HKCU "Software\Classes\.mrv\OpenWithProgids" "${PROGID}" ""
    WriteRegStr HKCU "Software\Classes\${PROGID}" "" "Morvanta 录像文件"
    WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\Morvanta.exe,0"
    WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\MorvantaPlayer.exe" "%1"'
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    Call un.CheckRunning
    ; Only what was installed: Morvanta.ini and recordings in the folder keep it in place.
    Delete "$INSTDIR\Morvanta.exe"
    Delete "$INSTDIR\HeadFile.hdf"
    Delete "$INSTDIR\MorvantaPlayer.exe"
    Delete "$INSTDIR\mrvtool.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE-zlib.txt"
    Delete "$INSTDIR\LICENSE-stb.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\Morvanta\Morvanta.lnk"
    Delete "$SMPROGRAMS\Morvanta\Morvanta 播放器.lnk"
    RMDir "$SMPROGRAMS\Morvanta"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; The extension is left to another program that has taken it over since.
    ReadRegStr $0 HKCU "Software\Classes\.mrv" ""
    ${If} $0 == "${PROGID}"
        DeleteRegValue HKCU "Software\Classes\.mrv" ""
    ${EndIf}
    DeleteRegValue HKCU "Software\Classes\.mrv\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKCU "Software\Classes\.mrv\OpenWithProgids"
    DeleteRegKey /ifempty HKCU "Software\Classes\.mrv"
    DeleteRegKey HKCU "Software\Classes\${PROGID}"
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd
