#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "platform/files_port.h"
#include "platform/profile_port.h"
#include "tests/conformance/ini_vectors.h"
#include "tests/conformance/text_vectors.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace platform::test {

using TempFolder = testing_support::TempDir;
using testing_support::ReadFileBytes;

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// Runs one vector against port, its file placed in folder; mismatches are
// reported as GoogleTest failures.
void CheckProfileVector(ProfilePort& port, const ProfileVector& vector,
                        const std::filesystem::path& folder);

// A file's stamp is the same while nobody writes it and changes with each
// write through the profile port, which is what tells a reader to read again.
void CheckStampFollowsWrites(FilesPort& files, ProfilePort& profile,
                             const std::filesystem::path& folder);

std::string ProfileVectorName(const testing::TestParamInfo<ProfileVector>& info);
void PrintTo(const ProfileVector& vector, std::ostream* out);

void CheckTextVector(ProfilePort& port, const TextVector& vector,
                     const std::filesystem::path& folder);
std::string TextVectorName(const testing::TestParamInfo<TextVector>& info);
void PrintTo(const TextVector& vector, std::ostream* out);

} // namespace platform::test

// The whole vector table as one parameterised suite for a default-constructible port.
#define PROFILE_CONFORMANCE_TESTS(Suite, PortType)                                                 \
    class Suite : public ::testing::TestWithParam<::platform::test::ProfileVector> {};             \
    TEST_P(Suite, BehavesAsWindows) {                                                              \
        PortType port;                                                                             \
        ::platform::test::TempFolder folder;                                                       \
        ::platform::test::CheckProfileVector(port, GetParam(), folder.Path());                     \
    }                                                                                              \
    INSTANTIATE_TEST_SUITE_P(Table, Suite,                                                         \
                             ::testing::ValuesIn(::platform::test::ProfileVectors()),              \
                             ::platform::test::ProfileVectorName)

// The display-text table, the same way.
#define TEXT_CONFORMANCE_TESTS(Suite, PortType)                                                    \
    class Suite : public ::testing::TestWithParam<::platform::test::TextVector> {};                \
    TEST_P(Suite, DecodesAsWindows) {                                                              \
        PortType port;                                                                             \
        ::platform::test::TempFolder folder;                                                       \
        ::platform::test::CheckTextVector(port, GetParam(), folder.Path());                        \
    }                                                                                              \
    INSTANTIATE_TEST_SUITE_P(Table, Suite, ::testing::ValuesIn(::platform::test::TextVectors()),   \
                             ::platform::test::TextVectorName)
