; The whiteboard driver's installer and uninstaller, for either architecture.
;
;   makensis -DARCH=x86_64|i686 -DVERSION=x.y.z -DSTAGE=<folder> -DOUTFILE=<setup.exe> setup.nsi
;
; -DSIGN=<command> signs the uninstaller: the command with the file's path appended.
; STAGE is laid out by installer/make-installer: the programs, Language.ini, Language-en.ini,
; DualData.ini, programs.nsh, the list of programs from installer/programs.txt, and
; contract.nsh, the names the programs agree on (common/program_contract.h) as defines.
;
; Command line: /S silent; /D=<folder> the installation folder (last, unquoted);
; /NOSTART do not start the driver after a silent install; /DOWNGRADE replace a newer
; installation; /LOG=<file> write the log there (a silent run writes it to %TEMP% anyway).
; The uninstaller takes /S, /LOG=<file>, and /FULL to remove the calibration and settings too.

Unicode true
!if "${ARCH}" == "x86_64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else if "${ARCH}" == "i686"
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
!else
    !error "ARCH is x86_64 or i686"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include Sections.nsh
!include WinMessages.nsh
!include x64.nsh
!include "${STAGE}/programs.nsh"
!include "${STAGE}/contract.nsh"

!define PRODUCT "Dravik Whiteboard Driver"
!define PUBLISHER "Dravik Project"
!define FOLDER "Dravik"
!define DRIVER "Dravik.exe"
!define UNINSTALLER "Uninstall.exe"
; The MSI's helper: it also ends the drivers of every session for this installer.
!define SETUP_STEPS "SetupSteps.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravik"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Dravik"
; WM_CLOSE to the driver's main window ends the driver as its exit button does.
!define DRIVER_END_MS 10000
!define /math DRIVER_END_POLLS ${DRIVER_END_MS} / 100
!define SYNCHRONIZE 0x00100000
; A user who is not an administrator gets a copy of the settings here, under the
; application-data folder.
!define USER_SETTINGS_TOP "${SETTINGS_FILE_USER_FOLDER_TOP}"
!define USER_SETTINGS "${USER_SETTINGS_TOP}\${SETTINGS_FILE_USER_FOLDER}"
!define SETTINGS "${SETTINGS_FILE_NAME}"
!define LANGUAGE "${LANGUAGE_FILE_NAME}"
!define ENGLISH "${LANGUAGE_FILE_ENGLISH_NAME}"
; Exit codes, for deployment tools; README lists them. 1618 is what they retry later.
!define EXIT_STOPPED 2
!define EXIT_NOT_ADMIN 740
!define EXIT_BUSY 1618
!define EXIT_NEWER_INSTALLED 1638
; One setup or uninstaller at a time, across sessions.
!define SETUP_MUTEX "Global\DravikSetup"
!define ERROR_ALREADY_EXISTS 183
!define SETUP_LOG "Dravik-setup.log"
!define UNINSTALL_LOG "Dravik-uninstall.log"
; Leaves room under MAX_PATH for the longest file name written into the folder.
!define INSTDIR_MAX_LENGTH 200

Name "${PRODUCT}"
Caption "$(SetupCaption)"
UninstallCaption "$(UninstallCaption)"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${FOLDER}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
!ifdef SIGN
    ; The uninstaller is written inside the installer: this signs it before it is packed.
    !uninstfinalize `${SIGN} "%1"` = 0
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} setup (${ARCH})"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"

!define MUI_ICON "../resources/dravik.ico"
!define MUI_UNICON "../resources/dravik.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartDriverNow)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartDriver
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryTop)"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "$(RemovalTop)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the one for every language not listed.
!insertmacro MUI_LANGUAGE English
!insertmacro MUI_LANGUAGE SimpChinese
!include texts.nsh

Var noStart
Var logFile
Var logHandle
; The exit code of FAIL: busy while programs are being ended, else stopped.
Var failCode
Var writeFailed

; A line in the log (when there is one) and in the details. The log is UTF-16, as folder
; names can be in any language.
!macro LOG TEXT
    DetailPrint `${TEXT}`
    ${If} $logFile != ""
        FileOpen $logHandle $logFile a
        ${If} $logHandle != ""
            FileSeek $logHandle 0 END
            FileWriteUTF16LE $logHandle `${TEXT}$\r$\n`
            FileClose $logHandle
        ${EndIf}
    ${EndIf}
!macroend

!macro INSTALL_FILE FILE
    ClearErrors
    File "${STAGE}/${FILE}"
    ${If} ${Errors}
        StrCpy $writeFailed "$writeFailed ${FILE}"
        !insertmacro LOG "Could not write $INSTDIR\${FILE}"
    ${Else}
        !insertmacro LOG "Wrote $INSTDIR\${FILE}"
    ${EndIf}
!macroend

; Per-program steps, run by the PROGRAMS macro of programs.nsh for each FILE with its
; Start-menu SHORTCUT name ("" for none).
!macro INSTALL_PROGRAM FILE SHORTCUT
    !insertmacro INSTALL_FILE "${FILE}"
!macroend

!macro CREATE_SHORTCUT FILE SHORTCUT
    !if "${SHORTCUT}" != ""
        CreateShortcut "$SMPROGRAMS\${FOLDER}\${SHORTCUT}.lnk" "$INSTDIR\${FILE}"
        !insertmacro LOG "Shortcut $SMPROGRAMS\${FOLDER}\${SHORTCUT}.lnk"
    !endif
!macroend

; What the programs write beside the settings file they use.
!macro REMOVE_LOGS FOLDER
    !insertmacro LOG "Removing the programs' logs in ${FOLDER}"
    Delete "${FOLDER}\${LOG_FILE_DRIVER}"
    Delete "${FOLDER}\${LOG_FILE_DRIVER}${LOG_FILE_ROTATED_SUFFIX}"
    Delete "${FOLDER}\${LOG_FILE_ORIENT}"
    Delete "${FOLDER}\${LOG_FILE_ORIENT}${LOG_FILE_ROTATED_SUFFIX}"
!macroend

; The settings file, and the copy the calibration program writes before it renames it over
; the file, left behind if it was stopped half-way.
!macro REMOVE_SETTINGS FOLDER
    !insertmacro LOG "Removing ${FOLDER}\${SETTINGS}"
    Delete "${FOLDER}\${SETTINGS}"
    Delete "${FOLDER}\${SETTINGS}${SETTINGS_FILE_COPY_SUFFIX}"
!macroend

!macro REMOVE_PROGRAM FILE SHORTCUT
    !insertmacro REMOVE_FILE "$INSTDIR\${FILE}"
    !if "${SHORTCUT}" != ""
        Delete "$SMPROGRAMS\${FOLDER}\${SHORTCUT}.lnk"
    !endif
!macroend

!macro REMOVE_FILE PATH
    ClearErrors
    Delete "${PATH}"
    ${If} ${Errors}
        !insertmacro LOG "Could not remove ${PATH}"
    ${Else}
        !insertmacro LOG "Removed ${PATH}"
    ${EndIf}
!macroend

; Appends FILE to $1 when it exists and cannot be opened for writing: a program still runs.
!macro COLLECT_IN_USE FILE SHORTCUT
    ${If} ${FileExists} "$INSTDIR\${FILE}"
        ClearErrors
        FileOpen $0 "$INSTDIR\${FILE}" a
        ${If} ${Errors}
            StrCpy $1 "$1$\r$\n    ${FILE}"
        ${Else}
            FileClose $0
        ${EndIf}
    ${EndIf}
!macroend

; Says why, and sets the exit code, for a run that ends without doing its work. TEXT is in
; the user's language, in the log as well: it is what they were told. The other log lines
; stay English, for the administrators who read the logs of many machines.
!macro STOP CODE TEXT
    !insertmacro LOG "${TEXT}"
    MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
    !insertmacro LOG "Exit code ${CODE}"
    SetErrorLevel ${CODE}
!macroend

; Stops here where going on would leave a half-replaced installation or report success for
; files that were not written.
!macro FAIL TEXT
    !insertmacro STOP $failCode "${TEXT}"
    Abort
!macroend

!macro SHARED_FUNCTIONS UN
    Function ${UN}RequireAdmin
        UserInfo::GetAccountType
        Pop $0
        ${If} $0 != "Admin"
            !insertmacro STOP ${EXIT_NOT_ADMIN} "$(NeedsAdministrator)"
            Quit
        ${EndIf}
    FunctionEnd

    ; Opens the log named by /LOG=, or in a silent run the default one in %TEMP%. A log that
    ; cannot be written stops the run: the default log says why.
    Function ${UN}StartLog
        Pop $2
        StrCpy $failCode ${EXIT_STOPPED}
        ${GetParameters} $0
        ClearErrors
        ${GetOptions} $0 "/LOG=" $1
        ${If} ${Errors}
            ${IfNot} ${Silent}
                Return
            ${EndIf}
            StrCpy $1 "$TEMP\$2"
        ${EndIf}
        ClearErrors
        FileOpen $logHandle $1 w
        ${If} ${Errors}
            StrCpy $logFile "$TEMP\$2"
            FileOpen $logHandle $logFile w
            FileWriteWord $logHandle 0xFEFF
            FileClose $logHandle
            !insertmacro STOP ${EXIT_STOPPED} "$(LogNotWritable)"
            Quit
        ${EndIf}
        FileWriteWord $logHandle 0xFEFF
        FileClose $logHandle
        StrCpy $logFile $1
        ${GetTime} "" "L" $3 $4 $5 $6 $7 $8 $9
        !insertmacro LOG "${PRODUCT} ${VERSION} (${ARCH}), $5-$4-$3 $7:$8:$9"
        !insertmacro LOG "Command line: $CMDLINE"
    FunctionEnd

    ; A second setup or uninstaller would race this one over the same files.
    Function ${UN}RequireOnlySetup
        System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
        Pop $1
        ${If} $1 = ${ERROR_ALREADY_EXISTS}
            !insertmacro STOP ${EXIT_BUSY} "$(AnotherSetupRuns)"
            Quit
        ${EndIf}
    FunctionEnd

    ; Signals the drivers' end event, which reaches them in every session (a deployment runs
    ; this as SYSTEM in session 0, where FindWindow cannot see a user's driver), and waits a
    ; bounded time until no driver from $INSTDIR runs. A process list and a security
    ; descriptor are far simpler in the helper than through System plugin calls.
    Function ${UN}EndDriverEverywhere
        InitPluginsDir
        File "/oname=$PLUGINSDIR\${SETUP_STEPS}" "${STAGE}/${SETUP_STEPS}"
        nsExec::Exec '"$PLUGINSDIR\${SETUP_STEPS}" end-driver "$INSTDIR\${DRIVER}"'
        Pop $0
        ${If} $0 != 0
            DetailPrint "A whiteboard driver did not end through its end event ($0)."
        ${EndIf}
    FunctionEnd

    ; Asks each running driver to end and waits a bounded time for its process: the files of
    ; a running program can be neither replaced nor removed. An older driver, without the
    ; end event, is ended through its window.
    Function ${UN}EndDriver
        Call ${UN}EndDriverEverywhere
        retry:
        ${For} $R0 1 8
            FindWindow $0 "${DRIVER_WINDOW_CLASS}" "${DRIVER_WINDOW_TITLE}"
            ${If} $0 = 0
                Return
            ${EndIf}
            System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
            System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2"
            DetailPrint "Ending the running whiteboard driver (process $1)"
            System::Call "user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)"
            ${If} $2 P<> 0
                System::Call "kernel32::WaitForSingleObject(p r2, i ${DRIVER_END_MS}) i .r3"
                System::Call "kernel32::CloseHandle(p r2)"
            ${Else}
                ; Without a handle, the window's end is all there is to wait for.
                StrCpy $3 1
                ${For} $R1 1 ${DRIVER_END_POLLS}
                    System::Call "user32::IsWindow(p r0) i .r4"
                    ${If} $4 = 0
                        StrCpy $3 0
                        ${Break}
                    ${EndIf}
                    Sleep 100
                ${Next}
            ${EndIf}
            ${If} $3 <> 0
                MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(DriverDidNotEnd)" \
                    /SD IDCANCEL IDRETRY retry
                !insertmacro FAIL "$(DriverStillRuns)"
            ${EndIf}
        ${Next}
        !insertmacro FAIL "$(DriverRestarts)"
    FunctionEnd

    Function ${UN}RequireProgramsFree
        retry:
        StrCpy $1 ""
        !insertmacro PROGRAMS COLLECT_IN_USE
        ${If} $1 != ""
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramsInUse)" \
                /SD IDCANCEL IDRETRY retry
            !insertmacro FAIL "$(ProgramsStayInUse)"
        ${EndIf}
    FunctionEnd

!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; The other architecture's installation, in the other registry view, would start a
; second driver at every log-on.
Function OtherInstallation
    StrCpy $0 ""
    !if "${ARCH}" == "x86_64"
        SetRegView 32
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        SetRegView 64
    !else
        ${If} ${RunningX64}
            SetRegView 64
            ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
            SetRegView 32
        ${EndIf}
    !endif
    Push $0
FunctionEnd

; Refuses to replace a newer installation unless /DOWNGRADE says so.
Function RequireNoNewerInstallation
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ${If} $0 == ""
        Return
    ${EndIf}
    ${VersionCompare} $0 "${VERSION}" $1
    ${If} $1 != 1
        Return
    ${EndIf}
    ${GetParameters} $2
    ClearErrors
    ${GetOptions} $2 "/DOWNGRADE" $3
    ${If} ${Errors}
        !insertmacro STOP ${EXIT_NEWER_INSTALLED} "$(NewerInstalled)"
        Abort
    ${EndIf}
    !insertmacro LOG "Replacing the newer version $0, as /DOWNGRADE says."
FunctionEnd

; The folder must be one that can be made and written, checked before anything changes.
Function RequireWritableFolder
    StrLen $0 $INSTDIR
    ${If} $0 > ${INSTDIR_MAX_LENGTH}
        !insertmacro FAIL "$(FolderTooLong)"
    ${EndIf}
    ${GetRoot} $INSTDIR $0
    ${IfNot} ${FileExists} "$0\*.*"
        !insertmacro FAIL "$(DriveMissing)"
    ${EndIf}
    ; The nearest folder that exists is where the rest would be made.
    StrCpy $0 $INSTDIR
    ${DoUntil} ${FileExists} "$0\*.*"
        ${GetParent} $0 $0
        ${If} $0 == ""
            !insertmacro FAIL "$(NoFullPath)"
        ${EndIf}
    ${Loop}
    ClearErrors
    FileOpen $1 "$0\Dravik-setup-probe.tmp" w
    ${If} ${Errors}
        !insertmacro FAIL "$(FolderNotWritable)"
    ${EndIf}
    FileClose $1
    Delete "$0\Dravik-setup-probe.tmp"
FunctionEnd

Function .onInit
    !if "${ARCH}" == "x86_64"
        SetRegView 64
    !endif
    Push "${SETUP_LOG}"
    Call StartLog
    ; A /D= folder on a drive that does not exist has been replaced by the default already,
    ; and cut from $CMDLINE; the process's own command line still holds it.
    System::Call "kernel32::GetCommandLineW() w .r0"
    ClearErrors
    ${WordFind} $0 " /D=" "E+1}" $1
    ${IfNot} ${Errors}
        StrCpy $2 $1 "" -1
        ${If} $2 == "\"
            StrCpy $1 $1 -1
        ${EndIf}
        ${If} $1 != $INSTDIR
            !insertmacro STOP ${EXIT_STOPPED} "$(FolderUnusable)"
            Abort
        ${EndIf}
    ${EndIf}
    Call RequireAdmin
    Call RequireOnlySetup
    Call OtherInstallation
    Pop $0
    ${If} $0 != ""
        !insertmacro STOP ${EXIT_STOPPED} "$(OtherArchitecture)"
        Abort
    ${EndIf}
    Call RequireNoNewerInstallation
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/NOSTART" $1
    ${IfNot} ${Errors}
        StrCpy $noStart 1
    ${EndIf}
FunctionEnd

; Through the logged-on user's shell, so that the driver does not inherit this installer's
; elevation: the settings tool and the calibration program, which run without it, could not
; post to an elevated driver's window.
Function StartDriver
    FindWindow $0 "Shell_TrayWnd"
    ${If} $0 = 0
        Call StartDriverWithoutDesktop
        Return
    ${EndIf}
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${DRIVER}"'
FunctionEnd

; A deployment runs this as SYSTEM in session 0: the helper (EndDriver put it into
; $PLUGINSDIR) starts the driver in the session of each user working now, through a one-shot
; scheduled task; with nobody working, the Run entry starts it at the next log-on.
Function StartDriverWithoutDesktop
    DetailPrint "No desktop here: the driver starts for the users logged on now, else at log-on."
    nsExec::Exec '"$PLUGINSDIR\${SETUP_STEPS}" start-driver "$INSTDIR\${DRIVER}"'
    Pop $0
FunctionEnd

Function .onInstSuccess
    ${If} ${Silent}
    ${AndIf} $noStart != 1
        Call StartDriver
    ${EndIf}
FunctionEnd

Section "Programs" SecPrograms
    SectionIn RO
    !insertmacro LOG "Installing into $INSTDIR"
    Call RequireWritableFolder
    SetOutPath "$INSTDIR"
    StrCpy $failCode ${EXIT_BUSY}
    Call EndDriver
    Call RequireProgramsFree
    StrCpy $failCode ${EXIT_STOPPED}

    StrCpy $writeFailed ""
    !insertmacro PROGRAMS INSTALL_PROGRAM
    !insertmacro INSTALL_FILE "${LANGUAGE}"
    !insertmacro INSTALL_FILE "${ENGLISH}"
    ; An earlier installation's calibration and pen-button choices stay.
    ${If} ${FileExists} "$INSTDIR\${SETTINGS}"
        !insertmacro LOG "Kept $INSTDIR\${SETTINGS}"
    ${Else}
        !insertmacro INSTALL_FILE "${SETTINGS}"
    ${EndIf}
    ${If} $writeFailed != ""
        !insertmacro FAIL "$(FilesNotWritten)"
    ${EndIf}
    ; The programs run without elevation and write the shared settings beside themselves.
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR\${SETTINGS}" /grant *S-1-5-32-545:M'
    Pop $0
    ${If} $0 != 0
        !insertmacro LOG "Users could not be given write access to ${SETTINGS} ($0)."
    ${EndIf}

    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    !insertmacro LOG "Wrote $INSTDIR\${UNINSTALLER}"
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${DRIVER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${DRIVER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    !insertmacro LOG "Registered: the Run entry and HKLM\${UNINSTALL_KEY}"

    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\${FOLDER}"
    !insertmacro PROGRAMS CREATE_SHORTCUT
SectionEnd

Section "-Done"
    !insertmacro LOG "Installed ${PRODUCT} ${VERSION} in $INSTDIR. Exit code 0"
SectionEnd

; Removes only what the installer wrote (a folder chosen with /D= may hold other files),
; and the Run entry and registration only while they still name this folder.
Section "un.$(ProgramsSection)" UnSecPrograms
    SectionIn RO
    !insertmacro LOG "Removing ${PRODUCT} from $INSTDIR"
    StrCpy $failCode ${EXIT_BUSY}
    Call un.EndDriver
    Call un.RequireProgramsFree
    StrCpy $failCode ${EXIT_STOPPED}

    SetShellVarContext all
    !insertmacro PROGRAMS REMOVE_PROGRAM
    !insertmacro REMOVE_FILE "$INSTDIR\${LANGUAGE}"
    !insertmacro REMOVE_FILE "$INSTDIR\${ENGLISH}"
    !insertmacro REMOVE_LOGS "$INSTDIR"
    !insertmacro REMOVE_FILE "$INSTDIR\${UNINSTALLER}"
    RMDir "$SMPROGRAMS\${FOLDER}"

    ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 == '"$INSTDIR\${DRIVER}"'
        DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == "$INSTDIR"
        DeleteRegKey HKLM "${UNINSTALL_KEY}"
        !insertmacro LOG "Unregistered HKLM\${UNINSTALL_KEY}"
    ${EndIf}
    RMDir "$INSTDIR"
SectionEnd

Section /o "un.$(SettingsSection)" UnSecSettings
    ; The current user's own copy; other users' copies are in their profiles.
    SetShellVarContext current
    !insertmacro REMOVE_SETTINGS "$APPDATA\${USER_SETTINGS}"
    !insertmacro REMOVE_LOGS "$APPDATA\${USER_SETTINGS}"
    RMDir "$APPDATA\${USER_SETTINGS}"
    RMDir "$APPDATA\${USER_SETTINGS_TOP}"
    !insertmacro REMOVE_SETTINGS "$INSTDIR"
    RMDir "$INSTDIR"
SectionEnd

Function un.onInit
    !if "${ARCH}" == "x86_64"
        SetRegView 64
    !endif
    Push "${UNINSTALL_LOG}"
    Call un.StartLog
    Call un.RequireAdmin
    Call un.RequireOnlySetup
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/FULL" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${UnSecSettings}
    ${EndIf}
FunctionEnd

Function un.onUninstSuccess
    !insertmacro LOG "Removed ${PRODUCT} from $INSTDIR. Exit code 0"
FunctionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSecPrograms} "$(ProgramsSectionText)"
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "$(SettingsSectionText)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
