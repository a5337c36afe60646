; What the installer and the uninstaller say to the person in front of them, in English (the
; default, first inserted) and Simplified Chinese; the user's interface language chooses.
; Progress lines in the details and the log stay English: they are the administrators' record.

LangString SetupCaption ${LANG_ENGLISH} "${PRODUCT} Setup"
LangString SetupCaption ${LANG_SIMPCHINESE} "${PRODUCT} 安装程序"
LangString UninstallCaption ${LANG_ENGLISH} "${PRODUCT} Uninstall"
LangString UninstallCaption ${LANG_SIMPCHINESE} "${PRODUCT} 卸载程序"

LangString DirectoryTop ${LANG_ENGLISH} \
    "Setup installs the whiteboard driver, the pen-button settings and the calibration program \
    in the folder below. A calibration already in that folder is kept."
LangString DirectoryTop ${LANG_SIMPCHINESE} \
    "安装程序将把白板驱动程序、笔按键设置程序和校准程序安装到下面的文件夹中。\
    该文件夹中已有的校准数据将会保留。"
LangString StartDriverNow ${LANG_ENGLISH} "Start the whiteboard driver now"
LangString StartDriverNow ${LANG_SIMPCHINESE} "立即启动白板驱动程序"

LangString RemovalTop ${LANG_ENGLISH} \
    "The board's calibration and the pen-button choices stay unless you tick them."
LangString RemovalTop ${LANG_SIMPCHINESE} \
    "白板的校准数据和笔按键设置默认保留；如需一并删除，请勾选相应项目。"
LangString ProgramsSection ${LANG_ENGLISH} "Programs"
LangString ProgramsSection ${LANG_SIMPCHINESE} "程序"
LangString ProgramsSectionText ${LANG_ENGLISH} \
    "The programs, shortcuts, log files and the start at log-on."
LangString ProgramsSectionText ${LANG_SIMPCHINESE} \
    "程序、快捷方式、日志文件，以及登录时的自动启动。"
LangString SettingsSection ${LANG_ENGLISH} "Calibration and settings"
LangString SettingsSection ${LANG_SIMPCHINESE} "校准数据和设置"
LangString SettingsSectionText ${LANG_ENGLISH} \
    "${SETTINGS}: the board's calibration and the pen-button choices."
LangString SettingsSectionText ${LANG_SIMPCHINESE} "${SETTINGS}：白板的校准数据和笔按键设置。"

; Refusals and questions. A run that ends without doing its work says why, in the log too.
LangString NeedsAdministrator ${LANG_ENGLISH} \
    "Installing and removing ${PRODUCT} needs an administrator."
LangString NeedsAdministrator ${LANG_SIMPCHINESE} "安装和卸载 ${PRODUCT} 需要管理员权限。"
LangString LogNotWritable ${LANG_ENGLISH} \
    "The log file $1 cannot be written (does its folder exist?): nothing was changed."
LangString LogNotWritable ${LANG_SIMPCHINESE} \
    "无法写入日志文件 $1（请确认其所在的文件夹存在），未做任何更改。"
LangString AnotherSetupRuns ${LANG_ENGLISH} \
    "Another setup or uninstaller of ${PRODUCT} runs: nothing was changed."
LangString AnotherSetupRuns ${LANG_SIMPCHINESE} \
    "${PRODUCT} 的另一个安装或卸载程序正在运行，未做任何更改。"
LangString DriverDidNotEnd ${LANG_ENGLISH} \
    "The whiteboard driver did not end within ${DRIVER_END_MS} ms.$\r$\n\
    End ${DRIVER} in the Task Manager, then retry."
LangString DriverDidNotEnd ${LANG_SIMPCHINESE} \
    "白板驱动程序未能在 ${DRIVER_END_MS} 毫秒内退出。$\r$\n\
    请在任务管理器中结束 ${DRIVER}，然后重试。"
LangString DriverStillRuns ${LANG_ENGLISH} \
    "The whiteboard driver still runs: nothing was changed."
LangString DriverStillRuns ${LANG_SIMPCHINESE} "白板驱动程序仍在运行，未做任何更改。"
LangString DriverRestarts ${LANG_ENGLISH} \
    "The whiteboard driver keeps starting again: nothing was changed."
LangString DriverRestarts ${LANG_SIMPCHINESE} "白板驱动程序反复重新启动，未做任何更改。"
LangString ProgramsInUse ${LANG_ENGLISH} "These programs are in use:$1$\r$\nClose them, then retry."
LangString ProgramsInUse ${LANG_SIMPCHINESE} "以下程序正在使用中：$1$\r$\n请关闭它们，然后重试。"
LangString ProgramsStayInUse ${LANG_ENGLISH} "Programs in use, nothing was changed:$1"
LangString ProgramsStayInUse ${LANG_SIMPCHINESE} "以下程序正在使用中，未做任何更改：$1"
LangString OtherArchitecture ${LANG_ENGLISH} \
    "${PRODUCT} for another architecture is installed in $0.$\r$\nRemove it first."
LangString OtherArchitecture ${LANG_SIMPCHINESE} \
    "其他架构版本的 ${PRODUCT} 已安装在 $0 中。$\r$\n请先将其卸载。"
LangString NewerInstalled ${LANG_ENGLISH} \
    "${PRODUCT} $0 is newer than ${VERSION}: nothing changed (/DOWNGRADE replaces it)."
LangString NewerInstalled ${LANG_SIMPCHINESE} \
    "已安装的 ${PRODUCT} $0 比本版本 ${VERSION} 更新，未做任何更改\
    （使用 /DOWNGRADE 参数可将其替换）。"
LangString FolderUnusable ${LANG_ENGLISH} \
    "The folder $1 cannot be used (no such drive or no full path): nothing changed."
LangString FolderUnusable ${LANG_SIMPCHINESE} \
    "无法使用文件夹 $1（驱动器不存在，或不是完整路径），未做任何更改。"
LangString FolderTooLong ${LANG_ENGLISH} \
    "The folder $INSTDIR is over ${INSTDIR_MAX_LENGTH} characters long: nothing changed."
LangString FolderTooLong ${LANG_SIMPCHINESE} \
    "文件夹 $INSTDIR 的路径超过 ${INSTDIR_MAX_LENGTH} 个字符，未做任何更改。"
LangString DriveMissing ${LANG_ENGLISH} \
    "The drive $0 of $INSTDIR does not exist: nothing was changed."
LangString DriveMissing ${LANG_SIMPCHINESE} "$INSTDIR 所在的驱动器 $0 不存在，未做任何更改。"
LangString NoFullPath ${LANG_ENGLISH} "The folder $INSTDIR is no full path: nothing was changed."
LangString NoFullPath ${LANG_SIMPCHINESE} "文件夹 $INSTDIR 不是完整路径，未做任何更改。"
LangString FolderNotWritable ${LANG_ENGLISH} "The folder $0 cannot be written: nothing was changed."
LangString FolderNotWritable ${LANG_SIMPCHINESE} "无法写入文件夹 $0，未做任何更改。"
LangString FilesNotWritten ${LANG_ENGLISH} \
    "These files in $INSTDIR could not be written:$writeFailed"
LangString FilesNotWritten ${LANG_SIMPCHINESE} "$INSTDIR 中的以下文件无法写入：$writeFailed"
