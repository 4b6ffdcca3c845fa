; Velsor's installer for 64-bit Windows, built by scripts/package-windows with makensis.
; For the whole machine by default (Program Files, HKLM), for the user alone with
; /CurrentUser (their local programs folder, HKCU). It installs the control's DLL and
; registers it, the compression DLL, velsor-host.exe with the extension and a host manifest
; for each browser family, velsor.exe; it writes the browsers' NativeMessagingHosts keys and
; an Uninstall entry. The uninstaller takes out exactly these. /S runs either silently.
; Defined by the script: VERSION, BUILD (build-windows), REPO, OUTFILE.

; A 64-bit installer: it registers a 64-bit DLL, and a 64-bit Windows runs it natively.
Target amd64-unicode
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

Name "Velsor ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velsor"
!define CHROME_KEY "Software\Google\Chrome\NativeMessagingHosts\velsor.host"
!define EDGE_KEY "Software\Microsoft\Edge\NativeMessagingHosts\velsor.host"
!define FIREFOX_KEY "Software\Mozilla\NativeMessagingHosts\velsor.host"
!define CHROMIUM_ORIGIN "chrome-extension://fpkilmkpfceombilonhmapgmaeffblcf/"

Page directory
Page instfiles
UninstPage instfiles

Var ForUser

; The manifest of the host for one browser family: JSON naming the installed host.
!macro WriteManifest FILE ALLOWED_KEY ALLOWED
  Push $0
  Push $1
  ${WordReplace} "$INSTDIR\velsor-host.exe" "\" "\\" "+" $1
  FileOpen $0 "${FILE}" w
  FileWrite $0 '{$\r$\n  "name": "velsor.host",$\r$\n'
  FileWrite $0 '  "description": "Velsor: sign, verify, encrypt and decrypt with your certificates",$\r$\n'
  FileWrite $0 '  "path": "$1",$\r$\n  "type": "stdio",$\r$\n'
  FileWrite $0 '  "${ALLOWED_KEY}": ["${ALLOWED}"]$\r$\n}$\r$\n'
  FileClose $0
  Pop $1
  Pop $0
!macroend

!include "WordFunc.nsh"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Velsor needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CurrentUser" $1
  ${If} ${Errors}
    StrCpy $ForUser "0"
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\Velsor"
  ${Else}
    StrCpy $ForUser "1"
    SetShellVarContext current
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Velsor"
  ${EndIf}
FunctionEnd

Section "Velsor"
  SetOutPath "$INSTDIR"
  File "${BUILD}\src\module\OmbrelVelsor20_64.DLL"
  File "${BUILD}\src\formats\libvelsor_compression.dll"
  File "${BUILD}\tools\velsor-host\velsor-host.exe"
  File "${BUILD}\tools\velsor\velsor.exe"
  SetOutPath "$INSTDIR\extension"
  File "${REPO}\extension\manifest.json"
  File "${REPO}\extension\background.js"
  File "${REPO}\extension\content.js"
  SetOutPath "$INSTDIR"
  !insertmacro WriteManifest "$INSTDIR\velsor.host.chromium.json" "allowed_origins" "${CHROMIUM_ORIGIN}"
  !insertmacro WriteManifest "$INSTDIR\velsor.host.firefox.json" "allowed_extensions" "bridge@velsor"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\OmbrelVelsor20_64.DLL"' $0
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "The Velsor control could not be registered ($0)." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  WriteRegStr SHCTX "${CHROME_KEY}" "" "$INSTDIR\velsor.host.chromium.json"
  WriteRegStr SHCTX "${EDGE_KEY}" "" "$INSTDIR\velsor.host.chromium.json"
  WriteRegStr SHCTX "${FIREFOX_KEY}" "" "$INSTDIR\velsor.host.firefox.json"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Velsor"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Velsor"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
  ; Installed for the user alone when the user's Uninstall entry names this folder.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext current
  ${Else}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ExecWait '"$SYSDIR\regsvr32.exe" /u /s "$INSTDIR\OmbrelVelsor20_64.DLL"'
  DeleteRegKey SHCTX "${CHROME_KEY}"
  DeleteRegKey SHCTX "${EDGE_KEY}"
  DeleteRegKey SHCTX "${FIREFOX_KEY}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  Delete "$INSTDIR\extension\manifest.json"
  Delete "$INSTDIR\extension\background.js"
  Delete "$INSTDIR\extension\content.js"
  RMDir "$INSTDIR\extension"
  Delete "$INSTDIR\velsor.host.chromium.json"
  Delete "$INSTDIR\velsor.host.firefox.json"
  Delete "$INSTDIR\OmbrelVelsor20_64.DLL"
  Delete "$INSTDIR\libvelsor_compression.dll"
  Delete "$INSTDIR\velsor-host.exe"
  Delete "$INSTDIR\velsor.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
