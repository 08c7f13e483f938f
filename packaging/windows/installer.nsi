; The installer of 256色Lumivert for Windows, made by package.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=… -DSTAGE=… -DFILES=… -DICON=… -DOUTFILE=… installer.nsi
; Installs for every user under Program Files, adds the Start-menu entry, registers the uninstaller
; with Windows' list of programs, and offers the program under "Open with" for the picture types it
; reads without becoming their default. /S installs (and uninstalls) without a question.
; A 64-bit installer: the program is 64-bit only, and so is Wine without its 32-bit half.
Target amd64-unicode
SetCompressor /SOLID lzma
!include MUI2.nsh
!include x64.nsh

!define PRODUCT "256色Lumivert"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivert"
!define PROGID "Lumivert.Picture"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Lumivert"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "CompanyName" "Lumivert Denshi Co., Ltd."
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright 2026 Lumivert Denshi Co., Ltd."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

!macro OpenWith EXT
  WriteRegStr HKLM "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKLM "Software\Classes\Applications\lumivert.exe\SupportedTypes" "${EXT}" ""
!macroend
!macro NoLongerOpenWith EXT
  DeleteRegValue HKLM "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "Software\Classes\${EXT}\OpenWithProgids"
!macroend
!macro ForEachType MACRO
  !insertmacro ${MACRO} .bmp
  !insertmacro ${MACRO} .dib
  !insertmacro ${MACRO} .jpg
  !insertmacro ${MACRO} .jpeg
  !insertmacro ${MACRO} .jpe
  !insertmacro ${MACRO} .png
  !insertmacro ${MACRO} .gif
  !insertmacro ${MACRO} .ico
  !insertmacro ${MACRO} .pbm
  !insertmacro ${MACRO} .pgm
  !insertmacro ${MACRO} .ppm
  !insertmacro ${MACRO} .xbm
  !insertmacro ${MACRO} .xpm
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} は 64 ビット版の Windows で動きます。" /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\lumivert.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Lumivert Denshi Co., Ltd."
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lumivert.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; "Open with": the program and a file type of its own, named by the extensions' OpenWithProgids;
  ; the extensions' default program stays what it was.
  WriteRegStr HKLM "Software\Classes\Applications\lumivert.exe" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr HKLM "Software\Classes\Applications\lumivert.exe\shell\open\command" "" '"$INSTDIR\lumivert.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "${PRODUCT}"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\lumivert.exe,0"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\lumivert.exe" "%1"'
  !insertmacro ForEachType OpenWith
SectionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  !insertmacro ForEachType NoLongerOpenWith
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "Software\Classes\Applications\lumivert.exe"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
