#include "tests/conformance/ini_vectors.h"

#include <string>
#include <vector>

namespace platform::test {

namespace {

using File = std::optional<std::string_view>;
constexpr File kNoFile = std::nullopt;

// The file Wine's own tests read on Windows, in three line-ending styles.
constexpr std::string_view kCrLf = "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\n"
                                   "name4=a\r\n[section2]\r\n";
constexpr std::string_view kCrOnly = "[section1]\rname1=val1\rname2=\"val2\"\rname3\r"
                                     "name4=a\r[section2]\r";
constexpr std::string_view kLfOnly = "[section1]\nname1=val1\nname2=\"val2\"\nname3\n"
                                     "name4=a\n[section2]\n";

ProfileVector Str(std::string_view name, File file, std::string_view section, std::string_view key,
                  std::string_view defaultValue, std::string_view expected,
                  std::size_t capacity = 260) {
    ProfileVector v;
    v.name = name;
    v.file = file;
    v.op = ProfileOp::ReadString;
    v.section = section;
    v.key = key;
    v.text = defaultValue;
    v.capacity = capacity;
    v.expected = expected;
    return v;
}

// Reads key "k" of section "s" from a file holding "[s]" and "k=<value>".
ProfileVector Int(std::string_view name, File file, int defaultValue, int expected) {
    ProfileVector v;
    v.name = name;
    v.file = file;
    v.op = ProfileOp::ReadInt;
    v.section = "s";
    v.key = "k";
    v.number = defaultValue;
    v.expectedInt = expected;
    return v;
}

ProfileVector Write(std::string_view name, File file, std::string_view section,
                    std::string_view key, std::string_view value, std::string_view expected,
                    File expectedFile = std::nullopt) {
    ProfileVector v;
    v.name = name;
    v.file = file;
    v.op = ProfileOp::WriteThenRead;
    v.section = section;
    v.key = key;
    v.text = value;
    v.expected = expected;
    v.expectedFile = expectedFile;
    return v;
}

std::vector<ProfileVector> BuildVectors() {
    static const std::string longValue(300, 'x');
    static const std::string longFile = "[s]\r\nk=" + longValue + "\r\n";
    static const std::string cut259(259, 'x');
    static const std::string longDefault(300, 'd');
    static const std::string defaultCut259(259, 'd');
    // 27 and 29 zeros before "42": the 29-char read sees "...042" or only zeros.
    static const std::string int29File = "[s]\r\nk=" + std::string(27, '0') + "42\r\n";
    static const std::string int31File = "[s]\r\nk=" + std::string(29, '0') + "42\r\n";

    return {
        // Lookup and matching.
        Str("Found", kCrLf, "section1", "name1", "default", "val1"),
        Str("KeyCaseIgnored", kCrLf, "section1", "NaMe1", "default", "val1"),
        Str("SectionCaseIgnored", kCrLf, "SECTION1", "name1", "default", "val1"),
        Str("LastKeyOfSection", kCrLf, "section1", "name4", "default", "a"),
        Str("MissingKey", kCrLf, "section1", "notakey", "default", "default"),
        Str("MissingSection", kCrLf, "notasection", "name1", "default", "default"),
        Str("EmptySectionName", kCrLf, "", "name1", "default", "default"),
        Str("EmptyKeyName", kCrLf, "section1", "", "default", "default"),
        Str("SectionWithoutKeys", kCrLf, "section2", "DoesntExist", "", ""),
        Str("NoFile", kNoFile, "section1", "name1", "default", "default"),
        Str("EmptyFile", "", "section1", "name1", "default", "default"),
        Str("LineWithoutEqualsIsNoKey", kCrLf, "section1", "name3", "default", "default"),
        Str("KeyOfNextSectionNotSeen", "[s]\r\n[t]\r\nk=1\r\n", "s", "k", "def", "def"),
        Str("KeyBeforeFirstSectionNotSeen", "k=1\r\n[s]\r\nk=2\r\n", "s", "k", "def", "2"),
        Str("FirstKeyWins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "def", "1"),
        Str("FirstSectionWins", "[s]\r\nk=1\r\n[S]\r\nk=2\r\n", "s", "k", "def", "1"),
        Str("CommentLineIsNoKey", "[s]\r\n;k=1\r\nk=2\r\n", "s", "k", "def", "2"),
        Str("CommentSectionIsNoSection", ";[s]\r\nk=1\r\n[s]\r\nk=2\r\n", "s", "k", "def", "2"),

        // Blanks and quotes.
        Str("BlanksTrimmed", "  [ s ]  \r\n \t k \t= \t v  w \t \r\n", "s", "k", "def", "v  w"),
        Str("RequestedNamesTrimmed", "[s]\r\nk=v\r\n", "  s ", " k  ", "def", "v"),
        Str("ValueKeepsLaterEquals", "[s]\r\nk=a=b\r\n", "s", "k", "def", "a=b"),
        Str("ValueKeepsInlineSemicolon", "[s]\r\nk=1 ; note\r\n", "s", "k", "def", "1 ; note"),
        Str("EmptyValue", "[s]\r\nk=\r\n", "s", "k", "default", ""),
        Str("DoubleQuotesRemoved", kCrLf, "section1", "name2", "default", "val2"),
        Str("SingleQuotesRemoved", "[s]\r\nk='v w'\r\n", "s", "k", "def", "v w"),
        Str("QuotesKeepInnerBlanks", "[s]\r\nk=\"  v  \"\r\n", "s", "k", "def", "  v  "),
        Str("UnmatchedQuotesKept", "[s]\r\nk=\"v'\r\n", "s", "k", "def", "\"v'"),
        Str("QuotedEmptyValue", "[s]\r\nk=\"\"\r\n", "s", "k", "def", ""),

        // Line endings.
        Str("CrOnlyFile", kCrOnly, "section1", "name4", "default", "a"),
        Str("CrOnlyQuoted", kCrOnly, "section1", "name2", "default", "val2"),
        Str("LfOnlyFile", kLfOnly, "section1", "name4", "default", "a"),
        Str("NoFinalNewline", "[s]\r\nk=v", "s", "k", "def", "v"),

        // Defaults and the buffer limit.
        Str("DefaultTrailingSpacesDropped", kCrLf, "section1", "none", "default  ", "default"),
        Str("DefaultInnerSpacesKept", kCrLf, "section1", "none", "one two", "one two"),
        Str("CapacityCutsValue", kCrLf, "section1", "name1", "default", "val", 4),
        Str("CapacityFitsValue", kCrLf, "section1", "name1", "default", "val1", 5),
        Str("CapacityOne", kCrLf, "section1", "name4", "default", "", 1),
        Str("LongValueCut", longFile, "s", "k", "def", cut259),
        Str("LongDefaultCut", kNoFile, "s", "k", longDefault, defaultCut259),

        // The integer read.
        Int("IntPlain", "[s]\r\nk=1\r\n", -1, 1),
        Int("IntNegative", "[s]\r\nk=-1\r\n", 1, -1),
        Int("IntPlusSign", "[s]\r\nk=+1\r\n", -1, 1),
        Int("IntTwoSigns", "[s]\r\nk=--214\r\n", 5, 0),
        Int("IntWraps2Pow32", "[s]\r\nk=4294967296\r\n", -1, 0),
        Int("IntWraps2Pow32Plus1", "[s]\r\nk=4294967297\r\n", -1, 1),
        Int("IntWrapsNegative", "[s]\r\nk=-4294967297\r\n", 1, -1),
        Int("IntBigPositive", "[s]\r\nk=9999999999\r\n", 0, 1410065407),
        Int("IntBigNegative", "[s]\r\nk=-9999999999\r\n", 0, -1410065407),
        Int("IntAboveIntMax", "[s]\r\nk=2147483648\r\n", 0, -2147483647 - 1),
        Int("IntStopsAtLetter", "[s]\r\nk=42A94967297\r\n", -1, 42),
        Int("IntStopsAtSpace", "[s]\r\nk=214 0\r\n", -1, 214),
        Int("IntStopsAtPoint", "[s]\r\nk=214.01\r\n", -1, 214),
        Int("IntNoDigitsIsZero", "[s]\r\nk=B4294967297\r\n", -1, 0),
        Int("IntLeadingZeroStaysDecimal", "[s]\r\nk=056789\r\n", -1, 56789),
        Int("IntHex", "[s]\r\nk=0x12345\r\n", -1, 0x12345),
        Int("IntHexUpperDigits", "[s]\r\nk=0xABCDEFGH\r\n", -1, 0xABCDEF),
        Int("IntHexNegative", "[s]\r\nk=-0xFEDCBA00\r\n", -1, 19088896),
        Int("IntHexEmpty", "[s]\r\nk=0x\r\n", -1, 0),
        Int("IntDoubleZeroNoPrefix", "[s]\r\nk=00x12345\r\n", -1, 0),
        Int("IntOctal", "[s]\r\nk=0o1234567\r\n", -1, 01234567),
        Int("IntOctalStopsAt8", "[s]\r\nk=0o56789\r\n", -1, 0567),
        Int("IntBinary", "[s]\r\nk=0b1011101100\r\n", -1, 748),
        Int("IntBinaryNegative", "[s]\r\nk=-0b10123\r\n", -1, -5),
        Int("IntQuoted", "[s]\r\nk=\"12\"\r\n", -1, 12),
        Int("IntEmptyValueGivesDefault", "[s]\r\nk=\r\n", 77, 77),
        Int("IntQuotedEmptyGivesDefault", "[s]\r\nk=''\r\n", 77, 77),
        Int("IntMissingKey", "[s]\r\nj=1\r\n", 77, 77),
        Int("IntNoFile", kNoFile, -5, -5),
        // Only the first 29 characters reach the parser.
        Int("IntReads29Chars", int29File, -1, 42),
        Int("IntIgnoresChar30On", int31File, -1, 0),

        // Writes.
        Write("WriteCreatesFile", kNoFile, "App", "key", "string", "string",
              "[App]\r\nkey=string\r\n"),
        Write("WriteEmptyValue", kNoFile, "App", "key", "", "", "[App]\r\nkey=\r\n"),
        Write("WriteAppendsSection", "[App1]\r\nkey1=string1\r\n", "App2", "key4", "string4",
              "string4", "[App1]\r\nkey1=string1\r\n[App2]\r\nkey4=string4\r\n"),
        Write("WriteAddsKeyToSection", "[App1]\r\nkey1=string1\r\n[App2]\r\nkey4=string4\r\n",
              "App1", "key2", "string2", "string2",
              "[App1]\r\nkey1=string1\r\nkey2=string2\r\n[App2]\r\nkey4=string4\r\n"),
        Write("WriteReplacesValue", "[App1]\r\nkey1=string1\r\nkey2=string2\r\n", "App1", "key1",
              "new", "new", "[App1]\r\nkey1=new\r\nkey2=string2\r\n"),
        Write("WriteReplacesEmptyValue", "[App1]\r\nkey1=\r\n", "App1", "key1", "v", "v",
              "[App1]\r\nkey1=v\r\n"),
        Write("WriteMatchesCaseInsensitively", "[app]\r\nKEY=old\r\n", "APP", "key", "new", "new"),
        Write("WriteIntoFirstOfTwoSections", "[s]\r\na=1\r\n[s]\r\nb=2\r\n", "s", "a", "9", "9"),
        Write("WriteKeepsOtherKeys", "[s]\r\n;c\r\na=1\r\n\r\n[t]\r\nb=2\r\n", "s", "new", "3",
              "3"),
        Write("WriteAfterNoFinalNewline", "[s]\r\nk=1", "s", "j", "2", "2"),
        Write("WriteIntoLfFile", "[s]\nk=1\n", "s", "k", "2", "2"),
        Write("WriteQuotedValue", kNoFile, "s", "k", "\"q\"", "q"),
    };
}

} // namespace

std::span<const ProfileVector> ProfileVectors() {
    static const std::vector<ProfileVector> vectors = BuildVectors();
    return vectors;
}

} // namespace platform::test
