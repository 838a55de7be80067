; The Mirabex setup: a 64-bit installer for the 64-bit plug-in.
; makensis -DVERSION=1.2.3 -DOUTFILE=... -DDLL=... -DLANGS=... -DICON=...
;          -DPLUGIN_CLSID={...} -DHOST_CLSID={...} mirabex.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh
!include Sections.nsh
!include x64.nsh

!define PRODUCT "Mirabex"
!define PUBLISHER "Orbelan"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define PLUGINS_KEY "Software\Ombrisk\Dravelle\plugins"
!define HOST_KEY "CLSID\${HOST_CLSID}\InprocServer32"
; Under the user's application data; the plug-in keeps its snapshots there.
!define HISTORY_FOLDER "Orbelan\Dravelle\Mirabex"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}, the clipboard history button for the Dravelle bar.$\r$\n$\r$\nIf the bar is running, close it first or let the setup replace the plug-in when Windows restarts.$\r$\n$\r$\nYour clipboard history and settings are kept."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "${PRODUCT} is removed. Your clipboard history stays in your application data unless you tick it below."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var HostLangs   ; the "langs" folder beside the bar's program, or empty
Var InUse       ; 1 when the installed plug-in is loaded and is replaced at restart

; ---- shared by the setup and the uninstaller --------------------------------

; The folder the bar's language documents go to, found as the plug-in finds
; it: the bar's class key names its program; "langs" lies beside it.
!macro FIND_HOST_LANGS un
Function ${un}FindHostLangs
  StrCpy $HostLangs ""
  ClearErrors
  ReadRegStr $0 HKCR "${HOST_KEY}" ""
  ${If} ${Errors}
  ${OrIf} $0 == ""
    Return
  ${EndIf}
  ${GetParent} $0 $1
  ${If} $1 != ""
    StrCpy $HostLangs "$1\langs"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro FIND_HOST_LANGS ""
!insertmacro FIND_HOST_LANGS "un."

; Removes our documents from a bar's langs folder (given on the stack), one per
; language we carry, and the folders they leave empty.
!macro REMOVE_HOST_LANGS un
Function ${un}RemoveHostLangs
  Exch $R0
  Push $R1
  Push $R2
  ${If} $R0 != ""
    FindFirst $R1 $R2 "$INSTDIR\langs\*"
    ${DoWhile} $R2 != ""
      ${If} $R2 != "."
      ${AndIf} $R2 != ".."
        Delete "$R0\$R2\mirabex.xml"
        RMDir "$R0\$R2"
      ${EndIf}
      FindNext $R1 $R2
    ${Loop}
    FindClose $R1
    RMDir "$R0"
  ${EndIf}
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro REMOVE_HOST_LANGS ""
!insertmacro REMOVE_HOST_LANGS "un."

; A plug-in a running bar has loaded cannot be written. Asks to close the bar
; until it is free; a person who cannot may have it replaced (or removed) at
; the next restart ($InUse = 1), or stop with nothing changed. Silent runs
; take the restart.
!macro WAIT_FOR_FREE_PLUGIN un what
Function ${un}WaitForFreePlugin
  StrCpy $InUse 0
  ${DoWhile} ${FileExists} "$INSTDIR\mirabex.dll"
    ClearErrors
    FileOpen $0 "$INSTDIR\mirabex.dll" a
    ${IfNot} ${Errors}
      FileClose $0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is in use: a Dravelle bar has it loaded.$\r$\n$\r$\nClose the bar, then choose Retry." /SD IDCANCEL IDRETRY again
    MessageBox MB_YESNO|MB_ICONQUESTION "${what} ${PRODUCT} the next time Windows starts?$\r$\n$\r$\nNo stops the setup without changing anything." /SD IDYES IDYES later
    SetErrorLevel 1
    Quit
  later:
    StrCpy $InUse 1
    Return
  again:
  ${Loop}
FunctionEnd
!macroend
!insertmacro WAIT_FOR_FREE_PLUGIN "" "Replace"
!insertmacro WAIT_FOR_FREE_PLUGIN "un." "Remove"

; ---- setup ------------------------------------------------------------------

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is a plug-in for 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  ; An upgrade goes where the earlier version is.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Section "${PRODUCT}" SecPlugin
  SectionIn RO
  Call WaitForFreePlugin
  SetOutPath "$INSTDIR"
  ; The new plug-in is whole on disk before the old one goes. A loaded one
  ; stays registered as it is, and the new one takes its place when Windows
  ; starts (so too if a bar loaded it since the question).
  File "/oname=mirabex.dll.new" "${DLL}"
  ${If} $InUse == 0
    Delete "$INSTDIR\mirabex.dll"
  ${EndIf}
  Rename /REBOOTOK "$INSTDIR\mirabex.dll.new" "$INSTDIR\mirabex.dll"
  ${If} ${RebootFlag}
    DetailPrint "${PRODUCT} is replaced when Windows restarts."
  ${EndIf}

  ; The documents stay beside the plug-in too, for a bar installed later.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "LanguageFolder"
  Push $0
  Call RemoveHostLangs
  SetOutPath "$INSTDIR\langs"
  File /r "${LANGS}\*"
  Call FindHostLangs
  ${If} $HostLangs == ""
    DetailPrint "No Dravelle bar is installed: the language documents are kept in $INSTDIR\langs."
    MessageBox MB_OK|MB_ICONINFORMATION "No Dravelle bar is installed. ${PRODUCT} is installed anyway; run this setup again after installing the bar to put its language documents in place." /SD IDOK
  ${Else}
    DetailPrint "Language documents: $HostLangs"
    SetOutPath "$HostLangs"
    File /r "${LANGS}\*"
  ${EndIf}
  SetOutPath "$INSTDIR"

  ClearErrors
  RegDLL "$INSTDIR\mirabex.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} could not register itself; nothing is installed." /SD IDOK
    Call RemoveInstalled
    SetErrorLevel 2
    Quit
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mirabex.dll,-117"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "LanguageFolder" "$HostLangs"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; What a failed setup had placed.
Function RemoveInstalled
  UnRegDLL "$INSTDIR\mirabex.dll"
  Push $HostLangs
  Call RemoveHostLangs
  Delete "$INSTDIR\mirabex.dll"
  RMDir /r "$INSTDIR\langs"
  RMDir "$INSTDIR"
FunctionEnd

; ---- uninstaller -------------------------------------------------------------

; Removes a key of the plug-ins' tree when nothing is left in it.
!macro DELETE_IF_BARE key
  EnumRegKey $0 HKLM "${key}" 0
  EnumRegValue $1 HKLM "${key}" 0
  ${If} $0 == ""
  ${AndIf} $1 == ""
    DeleteRegKey /ifempty HKLM "${key}"
  ${EndIf}
!macroend

Section "un.${PRODUCT}" UnSecPlugin
  SectionIn RO
  Call un.WaitForFreePlugin
  UnRegDLL "$INSTDIR\mirabex.dll"
  ; Registration leaves the bar's key for the plug-in; it is ours to remove.
  DeleteRegKey HKLM "${PLUGINS_KEY}\${PLUGIN_CLSID}"
  !insertmacro DELETE_IF_BARE "${PLUGINS_KEY}"
  !insertmacro DELETE_IF_BARE "Software\Ombrisk\Dravelle"
  !insertmacro DELETE_IF_BARE "Software\Ombrisk"

  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "LanguageFolder"
  Push $0
  Call un.RemoveHostLangs
  ${If} $InUse == 1
    Delete /REBOOTOK "$INSTDIR\mirabex.dll"
  ${Else}
    Delete "$INSTDIR\mirabex.dll"
  ${EndIf}
  ; A replacement still waiting for a restart goes too.
  Delete "$INSTDIR\mirabex.dll.new"
  RMDir /r "$INSTDIR\langs"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.My clipboard history" UnSecHistory
  SetShellVarContext current
  RMDir /r "$APPDATA\${HISTORY_FOLDER}"
  SetShellVarContext all
SectionEnd

; "/REMOVEHISTORY" ticks the history box, for silent runs.
Function un.onInit
  SetRegView 64
  SetShellVarContext all
  ClearErrors
  ${GetOptions} $CMDLINE "/REMOVEHISTORY" $0
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecHistory} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecPlugin} "The plug-in, its registration and its language documents."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecHistory} "Every entry of your clipboard history, saved in your application data. Off: the history is kept."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
