#pragma once

#include "common/program_contract.h"
#include "platform/clock_port.h"
#include "platform/files_port.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// Paths live in 260-character buffers, the terminating NUL included.
inline constexpr std::size_t kMaxPathLength = 259;

// path cut after its last separator, which stays; "" when it has none. A
// backslash that is the second byte of a double-byte character is no
// separator.
std::string FolderOf(std::string_view path, platform::FilesPort& files);

// False for a path the system would read otherwise than its bytes say: one
// with a NUL, where every call would cut it, or one that ends inside a
// double-byte character, which would swallow a separator appended to it.
bool IsWholePath(std::string_view path, platform::FilesPort& files);

// The folder of the running executable with its separator; "" when the
// module path is unknown, not whole or longer than kMaxPathLength (in
// files' units).
std::string ExecutableFolder(platform::FilesPort& files);

// folder followed by name; "" when folder is "" or the result would not fit
// kMaxPathLength, so that nothing reads or writes a cut path.
std::string PathInFolder(std::string_view folder, std::string_view name);
// The same, with lengths as the files port's path buffers count them.
std::string PathInFolder(std::string_view folder, std::string_view name,
                         platform::FilesPort& files);

// The DualData.ini both programs use: the executable's copy for an
// administrator, else the user's copy, made once from the executable's copy.
// "" when the path that applies does not fit or its folder is not whole.
std::string LocateSettingsFile(platform::FilesPort& files, platform::ClockPort& clock,
                               bool isAdmin);

// The file LocateSettingsFile gives, for reading only: the installed copy
// stands in for a user's copy not made yet, and nothing is made.
std::string SettingsFileToRead(platform::FilesPort& files, bool isAdmin);

} // namespace common
