#include "platform/ini/ini_engine.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace platform::ini {
namespace {

TEST(IniEngineSetValue, ReplacesOnlyTheValueOfTheFirstMatch) {
    const std::string text = "; head [s]\r\n\r\n  [ Pen ]  \r\n  Speed =  12  ; fast\r\n"
                             "\tspeed=99\r\n[pen]\r\nSpeed=1\r\n";
    EXPECT_EQ(SetValue(text, "pen", "SPEED", "7"),
              "; head [s]\r\n\r\n  [ Pen ]  \r\n  Speed =  7\r\n"
              "\tspeed=99\r\n[pen]\r\nSpeed=1\r\n");
}

TEST(IniEngineSetValue, AddsKeyAfterLastLineOfSectionBeforeBlankLines) {
    EXPECT_EQ(SetValue("[a]\r\nx=1\r\n;note\r\n\r\n\r\n[b]\r\ny=2\r\n", "a", "z", "3"),
              "[a]\r\nx=1\r\n;note\r\nz=3\r\n\r\n\r\n[b]\r\ny=2\r\n");
    EXPECT_EQ(SetValue("[a]\r\n\r\n[b]\r\n", "a", "z", "3"), "[a]\r\nz=3\r\n\r\n[b]\r\n");
}

TEST(IniEngineSetValue, TerminatesAnUnterminatedLastLine) {
    EXPECT_EQ(SetValue("[a]", "a", "k", "v"), "[a]\r\nk=v\r\n");
    EXPECT_EQ(SetValue("[a]\r\nx=1", "a", "k", "v"), "[a]\r\nx=1\r\nk=v\r\n");
    EXPECT_EQ(SetValue("[a]\r\nx=1", "b", "k", "v"), "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
    EXPECT_EQ(SetValue("[a]\r\nx=1", "a", "x", "2"), "[a]\r\nx=2");
}

TEST(IniEngineSetValue, NewLinesFollowTheFileOrDefaultToCrLf) {
    EXPECT_EQ(SetValue("", "s", "k", "v"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(SetValue("[a]\nx=1\n", "a", "k", "v"), "[a]\nx=1\nk=v\n");
    EXPECT_EQ(SetValue("[a]\nx=1\n", "b", "k", "v"), "[a]\nx=1\n[b]\nk=v\n");
    EXPECT_EQ(SetValue("[a]\rx=1\r", "a", "k", "v"), "[a]\rx=1\rk=v\r\n");
}

TEST(IniEngineSetValue, WritesTrimmedNamesAndTheValueAsGiven) {
    EXPECT_EQ(SetValue("", " s\t", " k ", " v "), "[s]\r\nk= v \r\n");
}

TEST(IniEngineSetValue, LeavesDuplicateSectionsAlone) {
    EXPECT_EQ(SetValue("[s]\r\na=1\r\n[s]\r\nb=2\r\n", "s", "b", "9"),
              "[s]\r\na=1\r\nb=9\r\n[s]\r\nb=2\r\n");
}

TEST(IniEngineFindValue, SearchesOnlyTheFirstSectionOfAName) {
    const std::string_view text = "[s]\r\na=1\r\n[t]\r\n[s]\r\nb=2\r\n";
    EXPECT_EQ(FindValue(text, "s", "a"), "1");
    EXPECT_EQ(FindValue(text, "s", "b"), std::nullopt);
}

TEST(IniEngineFindValue, SectionHeaders) {
    // The last ']' closes the name; a line without one is no header.
    EXPECT_EQ(FindValue("[a] ; c\r\nk=1\r\n", "a", "k"), "1");
    EXPECT_EQ(FindValue("[a]b]\r\nk=1\r\n", "a]b", "k"), "1");
    EXPECT_EQ(FindValue("[a]\r\n[broken\r\nk=1\r\n", "a", "k"), "1");
    EXPECT_EQ(FindValue("[]\r\nk=1\r\n", "", "k"), "1");
    EXPECT_EQ(FindValue("k=1\r\n", "", "k"), std::nullopt);
}

TEST(IniEngineFindValue, KeyLines) {
    EXPECT_EQ(FindValue("[s]\r\n=v\r\n", "s", ""), "v");
    EXPECT_EQ(FindValue("[s]\r\nk\r\nk=2\r\n", "s", "k"), "2");
    EXPECT_EQ(FindValue("[s]\r\n\x1a k\v=\f2 \x1a\r\n", "s", "k"), "2");
    EXPECT_EQ(FindValue("[s]\r\n\xC4=1\r\n", "s", "\xE4"), std::nullopt);
}

TEST(IniEngineReadString, CutsAtNulAsTheCApiDoes) {
    using namespace std::string_view_literals;
    EXPECT_EQ(ReadString("[s]\r\nk=ab\0cd\r\n"sv, "s", "k", "", 260), "ab");
    EXPECT_EQ(ReadString("", "s", "k", "x", 0), "");
}

TEST(IniEngineParseProfileInt, FollowsTheNtdllParser) {
    EXPECT_EQ(ParseProfileInt("\001\002\003\00411"), 11U);
    EXPECT_EQ(ParseProfileInt(" \n \r \t-214"), static_cast<std::uint32_t>(-214));
    EXPECT_EQ(ParseProfileInt("0X10"), 0U);
    EXPECT_EQ(ParseProfileInt("0xffffffff1"), 0xfffffff1U);
    EXPECT_EQ(ParseProfileInt("\2405"), 0U);
    EXPECT_EQ(ParseProfileInt(""), 0U);
    EXPECT_EQ(ParseProfileInt("-"), 0U);
    EXPECT_EQ(ParseProfileInt("0"), 0U);
    EXPECT_EQ(ParseProfileInt("1x34"), 1U);
    EXPECT_EQ(ParseProfileInt("0b2"), 0U);
}

// Random bytes rich in INI syntax: nothing may crash, and a written value
// must read back while the first section keeps all its other keys.
TEST(IniEngineRobustness, RandomTextsSurviveReadsAndWrites) {
    using namespace std::string_view_literals;
    constexpr std::string_view kAlphabet = "[]=;\"' \t\r\n\x1a\0skvSKV01x-"sv;
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> length(0, 64);
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() + 3);
    for (int round = 0; round < 20000; ++round) {
        std::string text(length(random), '\0');
        for (char& c : text) {
            const std::size_t index = pick(random);
            c = index < kAlphabet.size() ? kAlphabet[index] : static_cast<char>(random() & 0xff);
        }
        (void)ReadString(text, "s", "k", "d", 4);
        (void)ReadInt(text, " S ", "K", 3);
        const std::optional<std::string_view> other = FindValue(text, "s", "v");
        const std::string updated = SetValue(text, "s", "k", "new");
        ASSERT_EQ(FindValue(updated, "s", "k"), "new") << testing::PrintToString(text);
        ASSERT_EQ(FindValue(updated, "s", "v"), other) << testing::PrintToString(text);
    }
}

TEST(IniEngineRobustness, HugeFileStaysLinear) {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "[sec" + std::to_string(i) + "]\r\nkey=" + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(ReadInt(text, "sec99999", "key", -1), 99999);
    const std::string updated = SetValue(text, "sec99999", "other", "1");
    EXPECT_EQ(updated.size(), text.size() + 9);
    EXPECT_EQ(FindValue(updated, "sec99999", "other"), "1");
}

} // namespace
} // namespace platform::ini
