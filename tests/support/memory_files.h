#pragma once

#include "platform/files_port.h"
#include "platform/text_encoding.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A files port of paths only, nothing on disk, for runs that try millions
// of paths (fuzzing). Paths are bytes of a code page whose lead bytes the
// test chooses, measured in bytes or, as the Unicode programs' port does,
// in UTF-16 units of UTF-8.
class MemoryFiles final : public platform::FilesPort {
public:
    enum class Units { Bytes, Utf16 };

    MemoryFiles(std::string modulePath, std::string appDataFolder)
        : m_modulePath(std::move(modulePath)), m_appDataFolder(std::move(appDataFolder)) {}

    std::string ModulePath() override { return m_modulePath; }
    std::string AppDataFolder() override { return m_appDataFolder; }
    bool FileExists(const std::string& path) override {
        Touch(path);
        return m_existing.contains(path);
    }
    bool MakeSureDirectoryPathExists(const std::string& folder) override {
        Touch(folder);
        made.push_back(folder);
        return !m_failMakeDirectories;
    }
    bool Copy(const std::string& from, const std::string& to,
              platform::IfTargetExists ifExists) override {
        Touch(from);
        Touch(to);
        copies.emplace_back(from, to);
        if (m_failCopies || !m_existing.contains(from) ||
            (ifExists == platform::IfTargetExists::Fail && m_existing.contains(to))) {
            return false;
        }
        m_existing.insert(to);
        return true;
    }
    bool AppendToFile(const std::string& path, std::string_view) override {
        Touch(path);
        m_existing.insert(path);
        return true;
    }
    std::optional<std::uint64_t> FileSize(const std::string& path) override {
        Touch(path);
        return m_existing.contains(path) ? std::optional<std::uint64_t>(0) : std::nullopt;
    }
    // Files here have no bytes.
    std::optional<std::string> ReadContents(const std::string& path) override {
        Touch(path);
        return m_existing.contains(path) ? std::optional<std::string>("") : std::nullopt;
    }
    bool ReplaceContents(const std::string& path, std::string_view) override {
        Touch(path);
        return m_existing.contains(path);
    }
    bool RenameFile(const std::string& from, const std::string& to) override {
        Touch(from);
        Touch(to);
        return m_existing.erase(from) != 0 && m_existing.insert(to).second;
    }
    bool RemoveFile(const std::string& path) override {
        Touch(path);
        return m_existing.erase(path) != 0;
    }
    bool IsLeadByte(unsigned char byte) override {
        return byte >= m_leadFirst && byte <= m_leadLast;
    }
    std::size_t PathLength(std::string_view path) override {
        return m_units == Units::Bytes ? path.size()
                                       : platform::Utf8ToUtf16(std::string(path)).size();
    }

    // --- the test's side ---
    void AddFile(const std::string& path) { m_existing.insert(path); }
    // Code page 936 has lead bytes 0x81..0xFE; by default there are none.
    void SetLeadByteRange(unsigned char first, unsigned char last) {
        m_leadFirst = first;
        m_leadLast = last;
    }
    void SetUnits(Units units) { m_units = units; }
    void FailMakeDirectories(bool fail) { m_failMakeDirectories = fail; }
    void FailCopies(bool fail) { m_failCopies = fail; }

    std::vector<std::string> made;
    std::vector<std::pair<std::string, std::string>> copies;
    // Every path handed to an operation, for tests that bound them.
    std::vector<std::string> touched;

private:
    void Touch(const std::string& path) { touched.push_back(path); }

    std::string m_modulePath;
    std::string m_appDataFolder;
    std::set<std::string> m_existing;
    unsigned m_leadFirst = 1;
    unsigned m_leadLast = 0;
    Units m_units = Units::Bytes;
    bool m_failMakeDirectories = false;
    bool m_failCopies = false;
};

} // namespace testing_support
