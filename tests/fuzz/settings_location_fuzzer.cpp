// Any module path and application-data folder (long, double-byte, without a
// separator) through the settings-file location: the path taken fits the
// 260-character buffers, names the file in the right folder and is never a
// cut or misread path; nothing is created or copied anywhere else.
#include "common/settings_location.h"
#include "driver/settings/diagnostics.h"
#include "platform/sim/sim_clock.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/memory_files.h"
#include "tests/support/memory_profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using testing_support::MemoryFiles;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The path's components, read a character at a time as the system reads
// them: the second byte of a double-byte character separates nothing.
std::vector<std::string> Components(std::string_view path, MemoryFiles& files) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            parts.emplace_back();
            continue;
        }
        parts.back() += path[i];
        if (files.IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            parts.back() += path[++i];
        }
    }
    return parts;
}

bool Fits(std::string_view path, MemoryFiles& files) {
    return files.PathLength(path) <= common::kMaxPathLength;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string Padded(FuzzedDataProvider& input) {
    static constexpr std::array<std::string_view, 5> kUnits = {"a", "\xD6\xD0", "\xE4\xB8\xAD",
                                                               "\\", "\xD6"};
    std::string path = input.ConsumeRandomLengthString(300);
    const std::string_view unit = kUnits[input.ConsumeIntegralInRange<std::size_t>(0, 4)];
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 280);
    std::string padding;
    for (std::size_t i = 0; i < count; ++i) {
        padding += unit;
    }
    const std::size_t at = input.ConsumeIntegralInRange<std::size_t>(0, path.size());
    path.insert(at, padding);
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool isAdmin = input.ConsumeBool();
    const bool doubleByte = input.ConsumeBool();
    const bool utf16 = input.ConsumeBool();
    const bool userCopyExists = input.ConsumeBool();
    const bool installedCopyExists = input.ConsumeBool();
    const bool failMake = input.ConsumeBool();
    const bool failCopy = input.ConsumeBool();
    const std::string modulePath = Padded(input);
    const std::string appData = Padded(input);

    MemoryFiles files(modulePath, appData);
    if (doubleByte) {
        files.SetLeadByteRange(0x81, 0xFE);
    }
    files.SetUnits(utf16 ? MemoryFiles::Units::Utf16 : MemoryFiles::Units::Bytes);
    files.FailMakeDirectories(failMake);
    files.FailCopies(failCopy);

    // Where the executable's copy is, by the components of the module path.
    std::vector<std::string> moduleParts = Components(modulePath, files);
    const bool moduleHasFolder = moduleParts.size() > 1;
    std::string installed;
    if (moduleHasFolder && Fits(modulePath, files) && common::IsWholePath(modulePath, files)) {
        installed = modulePath.substr(0, modulePath.size() - moduleParts.back().size()) +
                    std::string(contract::settings_file::kName);
        if (!Fits(installed, files)) {
            installed.clear();
        }
    }
    if (installedCopyExists && !installed.empty()) {
        files.AddFile(installed);
    }
    const char separator =
        appData.find('/') != std::string::npos && appData.find('\\') == std::string::npos ? '/'
                                                                                          : '\\';
    const std::string user = appData + separator + "QelSoftware" + separator + "Drivers" +
                             separator + std::string(contract::settings_file::kName);
    if (userCopyExists) {
        files.AddFile(user);
    }

    platform::SimClock clock;
    const std::string located = common::LocateSettingsFile(files, clock, isAdmin);

    for (const std::string& path : files.touched) {
        FUZZ_CHECK(Fits(path, files));
    }
    if (isAdmin) {
        FUZZ_CHECK(located == installed);
        FUZZ_CHECK(files.made.empty() && files.copies.empty());
    } else if (!located.empty()) {
        FUZZ_CHECK(located == user && Fits(located, files));
        // Read a character at a time, the path still ends in the two folders
        // and the file: a separator was not swallowed by a double-byte character.
        const std::vector<std::string> parts = Components(located, files);
        FUZZ_CHECK(parts.size() >= 4);
        FUZZ_CHECK(parts[parts.size() - 3] == "QelSoftware" &&
                   parts[parts.size() - 2] == "Drivers" &&
                   parts.back() == contract::settings_file::kName);
        if (userCopyExists) {
            FUZZ_CHECK(files.made.empty() && files.copies.empty());
        } else {
            FUZZ_CHECK(files.made.size() == 1 &&
                       EndsWith(files.made[0], "Drivers\\") != EndsWith(files.made[0], "Drivers/"));
            FUZZ_CHECK(files.copies.size() == (installed.empty() ? 0U : 1U));
            for (const auto& [from, to] : files.copies) {
                FUZZ_CHECK(from == installed && to == located);
            }
        }
    } else {
        FUZZ_CHECK(files.made.empty() && files.copies.empty());
    }

    // The language file and the log file are built the same way.
    const std::string folder = common::ExecutableFolder(files);
    const std::string language = common::PathInFolder(folder, contract::language_file::kName);
    FUZZ_CHECK(language.empty() ||
               (Fits(language, files) && EndsWith(language, contract::language_file::kName)));
    testing_support::MemoryProfile profile;
    profile.SetFile(located, "[DIAGNOSTICS]\r\nLOG_FILE=1\r\n");
    const std::string log = driver::LogFilePath(profile, files, located);
    FUZZ_CHECK(log.empty() == located.empty() || log.empty());
    FUZZ_CHECK(log.empty() || (Fits(log, files) && EndsWith(log, contract::log_file::kDriver)));
    return 0;
}
