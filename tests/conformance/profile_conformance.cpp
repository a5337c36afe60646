#include "tests/conformance/profile_conformance.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace platform::test {

namespace {

std::optional<std::string> ToOptionalString(const std::optional<std::string_view>& text) {
    if (!text) {
        return std::nullopt;
    }
    return std::string(*text);
}

} // namespace

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

void CheckProfileVector(ProfilePort& port, const ProfileVector& vector,
                        const std::filesystem::path& folder) {
    // One file per vector: the real API caches files by name and time.
    const std::filesystem::path file = folder / (std::string(vector.name) + ".ini");
    if (vector.file) {
        WriteFileBytes(file, *vector.file);
    }
    const std::string path = file.string();
    switch (vector.op) {
    case ProfileOp::ReadString:
        EXPECT_EQ(port.GetString(vector.section, vector.key, vector.text, path, vector.capacity),
                  vector.expected);
        break;
    case ProfileOp::ReadInt:
        EXPECT_EQ(port.GetInt(vector.section, vector.key, vector.number, path), vector.expectedInt);
        break;
    case ProfileOp::WriteThenRead:
        ASSERT_TRUE(port.WriteString(vector.section, vector.key, vector.text, path));
        EXPECT_EQ(port.GetString(vector.section, vector.key, "<missing>", path), vector.expected);
        if (vector.expectedFile) {
            EXPECT_EQ(ReadFileBytes(file), ToOptionalString(vector.expectedFile));
        }
        return;
    }
    EXPECT_EQ(ReadFileBytes(file), ToOptionalString(vector.file)) << "a read changed the file";
}

std::string ProfileVectorName(const testing::TestParamInfo<ProfileVector>& info) {
    return std::string(info.param.name);
}

void PrintTo(const ProfileVector& vector, std::ostream* out) {
    *out << vector.name;
}

void CheckStampFollowsWrites(FilesPort& files, ProfilePort& profile,
                             const std::filesystem::path& folder) {
    const std::string path = (folder / "DualData.ini").string();
    EXPECT_FALSE(files.Stamp(path)) << "no file yet";
    std::optional<FileStamp> last;
    for (const char* value : {"3", "5", "17"}) {
        // File systems count write times in ticks of some milliseconds.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ASSERT_TRUE(profile.WriteString("coordinate", "wdot", value, path));
        const std::optional<FileStamp> stamp = files.Stamp(path);
        ASSERT_TRUE(stamp) << value;
        EXPECT_EQ(files.Stamp(path), stamp) << "unwritten since";
        EXPECT_NE(stamp, last) << "written with " << value;
        last = stamp;
    }
}

void CheckTextVector(ProfilePort& port, const TextVector& vector,
                     const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / (std::string(vector.name) + ".ini");
    if (vector.file) {
        WriteFileBytes(file, *vector.file);
    }
    const ProfileText text =
        port.ReadText("S", vector.key, file.string(), vector.encoding, vector.capacity);
    EXPECT_EQ(static_cast<int>(text.status), static_cast<int>(vector.status))
        << "0 found, 1 missing, 2 undecodable";
    EXPECT_EQ(text.text, vector.expected);
    EXPECT_EQ(text.cut, vector.cut);
}

std::string TextVectorName(const testing::TestParamInfo<TextVector>& info) {
    return std::string(info.param.name);
}

void PrintTo(const TextVector& vector, std::ostream* out) {
    *out << vector.name;
}

} // namespace platform::test
