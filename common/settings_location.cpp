#include "common/settings_location.h"

#include <cstdint>

namespace common {

namespace {

// Windows gives backslashes; the simulated files use native '/' paths. Each
// path is extended with the separator it already uses, so both work.
char SeparatorOf(std::string_view folder) {
    return folder.find('/') != std::string_view::npos && folder.find('\\') == std::string_view::npos
               ? '/'
               : '\\';
}

constexpr std::uint32_t kAfterCopyPause = 20;

} // namespace

std::string FolderOf(std::string_view path, platform::FilesPort& files) {
    std::size_t cut = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' || c == '/') {
            cut = i + 1;
        } else if (files.IsLeadByte(static_cast<unsigned char>(c))) {
            ++i;
        }
    }
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

bool IsWholePath(std::string_view path, platform::FilesPort& files) {
    if (path.find('\0') != std::string_view::npos) {
        return false;
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (files.IsLeadByte(static_cast<unsigned char>(path[i])) && ++i == path.size()) {
            return false;
        }
    }
    return true;
}

std::string ExecutableFolder(platform::FilesPort& files) {
    const std::string modulePath = files.ModulePath();
    if (files.PathLength(modulePath) > kMaxPathLength || !IsWholePath(modulePath, files)) {
        return {};
    }
    return FolderOf(modulePath, files);
}

std::string PathInFolder(std::string_view folder, std::string_view name) {
    if (folder.empty() || folder.size() + name.size() > kMaxPathLength) {
        return {};
    }
    std::string path(folder);
    path += name;
    return path;
}

std::string PathInFolder(std::string_view folder, std::string_view name,
                         platform::FilesPort& files) {
    if (folder.empty() || files.PathLength(folder) + files.PathLength(name) > kMaxPathLength) {
        return {};
    }
    std::string path(folder);
    path += name;
    return path;
}

namespace {

// The user's copy and its folder; "" when the app-data folder is unknown or
// not whole, or the path would not fit.
std::string UserCopyPath(platform::FilesPort& files, std::string& userFolder) {
    const std::string appData = files.AppDataFolder();
    const char separator = SeparatorOf(appData);
    userFolder = appData;
    for (const std::string_view level :
         {contract::settings_file::kUserFolderTop, contract::settings_file::kUserFolder}) {
        userFolder += separator;
        userFolder += level;
    }
    userFolder += separator;
    // An empty app-data path would put the user's copy at the drive's root.
    return appData.empty() || !IsWholePath(appData, files)
               ? std::string()
               : PathInFolder(userFolder, contract::settings_file::kName, files);
}

std::string InstalledCopyPath(platform::FilesPort& files) {
    return PathInFolder(ExecutableFolder(files), contract::settings_file::kName, files);
}

} // namespace

std::string LocateSettingsFile(platform::FilesPort& files, platform::ClockPort& clock,
                               bool isAdmin) {
    std::string installedCopy = InstalledCopyPath(files);
    if (isAdmin) {
        return installedCopy;
    }
    std::string userFolder;
    std::string userCopy = UserCopyPath(files, userFolder);
    if (userCopy.empty() || files.FileExists(userCopy)) {
        return userCopy;
    }
    files.MakeSureDirectoryPathExists(userFolder);
    if (!installedCopy.empty()) {
        files.Copy(installedCopy, userCopy, platform::IfTargetExists::Replace);
        clock.Sleep(kAfterCopyPause);
    }
    return userCopy;
}

std::string SettingsFileToRead(platform::FilesPort& files, bool isAdmin) {
    std::string installedCopy = InstalledCopyPath(files);
    if (isAdmin) {
        return installedCopy;
    }
    std::string userFolder;
    std::string userCopy = UserCopyPath(files, userFolder);
    return userCopy.empty() || files.FileExists(userCopy) ? userCopy : installedCopy;
}

} // namespace common
