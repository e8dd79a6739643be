; The Horavex installer for 64-bit Windows. cmake/WindowsInstaller.cmake runs
; makensis on it with the version, the staged installation of the Win64 build
; (STAGE: OFX\Plugins\Horavex.ofx.bundle and bin\horavex-render.exe), the
; licence and the output file.
;   /S installs (and the uninstaller uninstalls) silently.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "FileFunc.nsh"

!define PRODUCT "Horavex"
!define PUBLISHER "The Horavex developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Horavex"
; Where Windows OFX hosts look for plug-ins.
!define OFX_DIR "$COMMONFILES64\OFX"
!define BUNDLE_DIR "$COMMONFILES64\OFX\Plugins\Horavex.ofx.bundle"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
LicenseData "${LICENSE}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}, BSD-3-Clause"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Horavex"
  SetShellVarContext all
  SetRegView 64
  ; A bundle of an earlier version is replaced whole, so that none of its
  ; files lingers beside the new ones.
  RMDir /r "${BUNDLE_DIR}"
  SetOutPath "${BUNDLE_DIR}"
  File /r "${STAGE}\OFX\Plugins\Horavex.ofx.bundle\*"

  SetOutPath "$INSTDIR"
  File "${STAGE}\bin\horavex-render.exe"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "${BUNDLE_DIR}" "/S=0K" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  RMDir /r "${BUNDLE_DIR}"
  ; The OFX folders go only when no other plug-in is left in them.
  RMDir "${OFX_DIR}\Plugins"
  RMDir "${OFX_DIR}"
  Delete "$INSTDIR\horavex-render.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
