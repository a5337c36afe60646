// The private-profile rules on any text: a write that the rules accept
// changes the key written and nothing else that any other key reads.
#include "platform/ini/ini_engine.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace platform::ini;

// Every section and key name the text could be asked for, plus a few it lacks.
struct Names {
    std::vector<std::string> sections{"s", "S ", "absent"};
    std::vector<std::string> keys{"k", " K", "absent"};
};

Names NamesIn(std::string_view text) {
    Names names;
    std::size_t pos = 0;
    while (pos <= text.size() && names.sections.size() + names.keys.size() < 96) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        const std::string_view line = Trim(text.substr(pos, end - pos));
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                names.sections.emplace_back(line.substr(1, close - 1));
            }
        }
        if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
            names.keys.emplace_back(line.substr(0, equals));
        }
        pos = end + 1;
    }
    return names;
}

bool SameName(std::string_view a, std::string_view b) {
    return EqualsNoCase(Trim(a), Trim(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(24);
    const std::string key = input.ConsumeRandomLengthString(24);
    const std::string value = input.ConsumeRandomLengthString(48);
    const std::string text = input.ConsumeRemainingBytesAsString();

    // Reads and integer parses of anything must hold up.
    (void)ReadInt(text, section, key, -7);
    (void)ReadString(text, section, key, value, 1 + value.size() % 300);
    if (!IsWritableEntry(section, key, value)) {
        return 0;
    }

    const std::string updated = SetValue(text, section, key, value);
    constexpr std::size_t kWhole = 1 << 20;
    const std::string expected(Unquote(Trim(value)));
    FUZZ_CHECK(ReadString(updated, section, key, "\x01", kWhole) == expected);

    Names names = NamesIn(text);
    names.sections.push_back(section);
    names.keys.push_back(key);
    for (const std::string& otherSection : names.sections) {
        for (const std::string& otherKey : names.keys) {
            if (SameName(otherSection, section) && SameName(otherKey, key)) {
                continue;
            }
            FUZZ_CHECK(ReadString(updated, otherSection, otherKey, "\x01", kWhole) ==
                       ReadString(text, otherSection, otherKey, "\x01", kWhole));
        }
    }
    return 0;
}
