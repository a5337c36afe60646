#include "tests/conformance/text_vectors.h"

#include "tests/support/text_files.h"

#include <vector>

namespace platform::test {

namespace {

using Status = ProfileText::Status;
using testing_support::Repeated;
using testing_support::Utf16File;
constexpr auto k936 = TextEncoding::CodePage936;
constexpr auto kUtf16 = TextEncoding::Utf16;

// Code page 936 bytes of the characters the table uses.
constexpr std::string_view kTiShi = "\xCC\xE1\xCA\xBE"; // 提示
constexpr std::string_view kBai = "\xB0\xD7";           // 白

std::string Section(std::string_view lines) {
    return "[S]\r\n" + std::string(lines) + "\r\n";
}

std::vector<TextVector> MakeVectors() {
    const std::string gbk = Section("K=" + std::string(kTiShi) + "\r\nE=");
    const std::string english = Utf16File(Section("K=Hello 提示\r\nE="));
    return {
        {"Cp936Value", gbk, "K", k936, 260, Status::Found, "提示"},
        {"Cp936EmptyValue", gbk, "E", k936, 260, Status::Found, ""},
        {"Cp936MissingKey", gbk, "X", k936, 260, Status::Missing, ""},
        {"Cp936MissingFile", std::nullopt, "K", k936, 260, Status::Missing, ""},
        {"Cp936EmptyFile", "", "K", k936, 260, Status::Missing, ""},
        {"Cp936LeadByteAtEnd", Section("K=a\xCC"), "K", k936, 260, Status::Undecodable, ""},
        {"Cp936LeadByteBeforeBlank", Section("K=\xCC a"), "K", k936, 260, Status::Undecodable, ""},
        {"Cp936FileWithUtf8Mark", "\xEF\xBB\xBF" + Section("K=a"), "K", k936, 260,
         Status::Undecodable, ""},
        {"Cp936FileInUtf16", english, "K", k936, 260, Status::Undecodable, ""},
        // The buffer ends inside the third character: two whole ones remain.
        {"Cp936CutInsideACharacter", Section("K=" + Repeated(kBai, 3)), "K", k936, 3, Status::Found,
         "白白", true},
        {"Cp936LongValueKeeps259Characters", Section("K=" + Repeated(kBai, 300)), "K", k936, 260,
         Status::Found, Repeated("白", 259), true},
        {"Cp936Exactly259CharactersAreWhole", Section("K=" + Repeated(kBai, 259)), "K", k936, 260,
         Status::Found, Repeated("白", 259)},
        // A key name longer than any buffer does not hide the keys after it.
        {"Cp936OverlongKeyBeforeTheKey",
         Section(std::string(1000, 'k') + "=x\r\nK=" + std::string(kTiShi)), "K", k936, 260,
         Status::Found, "提示"},
        {"Utf16Value", english, "K", kUtf16, 260, Status::Found, "Hello 提示"},
        {"Utf16EmptyValue", english, "E", kUtf16, 260, Status::Found, ""},
        {"Utf16MissingKey", english, "X", kUtf16, 260, Status::Missing, ""},
        {"Utf16MissingFile", std::nullopt, "K", kUtf16, 260, Status::Missing, ""},
        {"Utf16FileWithoutMark", Section("K=Hello"), "K", kUtf16, 260, Status::Undecodable, ""},
        {"Utf16FileInUtf8WithMark", "\xEF\xBB\xBF" + Section("K=Hello"), "K", kUtf16, 260,
         Status::Undecodable, ""},
        {"Utf16CutNeverHalvesAPair", Utf16File(Section("K=a\xF0\x9D\x84\x9E")), "K", kUtf16, 3,
         Status::Found, "a", true},
        {"Utf16LongValueKeeps259Characters", Utf16File(Section("K=" + Repeated("白", 300))), "K",
         kUtf16, 260, Status::Found, Repeated("白", 259), true},
        {"Utf16Exactly259CharactersAreWhole", Utf16File(Section("K=" + Repeated("白", 259))), "K",
         kUtf16, 260, Status::Found, Repeated("白", 259)},
        {"Utf16OverlongKeyBeforeTheKey",
         Utf16File(Section(std::string(1000, 'k') + "=x\r\nK=提示")), "K", kUtf16, 260,
         Status::Found, "提示"},
    };
}

} // namespace

std::span<const TextVector> TextVectors() {
    static const std::vector<TextVector> vectors = MakeVectors();
    return vectors;
}

} // namespace platform::test
