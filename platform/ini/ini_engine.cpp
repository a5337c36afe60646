#include "platform/ini/ini_engine.h"

namespace platform::ini {

namespace {

// GetPrivateProfileInt reads the value through a buffer of this many chars.
constexpr std::size_t kIntBufferChars = 30;

struct Line {
    std::size_t begin; // first byte
    std::size_t end;   // one past the content, before CR/LF
    std::size_t next;  // first byte of the following line
};

enum class LineKind { Blank, Header, Entry, Other };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;      // section name or key name, trimmed
    std::string_view value;     // trimmed value of an entry
    std::size_t valueBegin = 0; // offset in the text where the value starts
};

// A lone CR ends a line too, as it does for Windows.
Line LineAt(std::string_view text, std::size_t pos) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
        return {pos, text.size(), text.size()};
    }
    std::size_t next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') {
        ++next;
    }
    return {pos, end, next};
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos, std::size_t end) {
    while (pos < end && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

ParsedLine Parse(std::string_view text, const Line& line) {
    const std::size_t begin = SkipBlanks(text, line.begin, line.end);
    const std::string_view content = Trim(text.substr(begin, line.end - begin));
    ParsedLine parsed;
    if (content.empty()) {
        parsed.kind = LineKind::Blank;
        return parsed;
    }
    if (content.front() == '[') {
        // The last ']' closes the name; without one the line is read as a key line.
        const std::size_t close = content.rfind(']');
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::Header;
            parsed.name = Trim(content.substr(1, close - 1));
            return parsed;
        }
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        return parsed;
    }
    parsed.kind = LineKind::Entry;
    parsed.name = Trim(content.substr(0, equals));
    parsed.valueBegin = SkipBlanks(text, begin + equals + 1, line.end);
    parsed.value = Trim(text.substr(parsed.valueBegin, line.end - parsed.valueBegin));
    return parsed;
}

struct SectionSpan {
    Line header;
    std::size_t bodyEnd; // start of the next header line, or the end of the text
};

// Only the first section of a name counts, as in Wine.
std::optional<SectionSpan> FindSection(std::string_view text, std::string_view name) {
    std::optional<SectionSpan> found;
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = LineAt(text, pos);
        const ParsedLine parsed = Parse(text, line);
        if (parsed.kind == LineKind::Header) {
            if (found) {
                found->bodyEnd = line.begin;
                return found;
            }
            if (EqualsNoCase(parsed.name, name)) {
                found = SectionSpan{line, text.size()};
            }
        }
        pos = line.next;
    }
    return found;
}

std::string_view NewlineOf(std::string_view text) {
    const std::size_t pos = text.find_first_of("\r\n");
    if (pos != std::string_view::npos && text[pos] == '\n') {
        return "\n";
    }
    return "\r\n";
}

std::string_view TrimTrailingSpaces(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return -1;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::string_view> FindValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
    const std::optional<SectionSpan> span = FindSection(text, Trim(section));
    if (!span) {
        return std::nullopt;
    }
    const std::string_view keyName = Trim(key);
    for (std::size_t pos = span->header.next; pos < span->bodyEnd;) {
        const Line line = LineAt(text, pos);
        const ParsedLine parsed = Parse(text, line);
        if (parsed.kind == LineKind::Entry && EqualsNoCase(parsed.name, keyName)) {
            return parsed.value;
        }
        pos = line.next;
    }
    return std::nullopt;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::uint32_t ParseProfileInt(std::string_view value) {
    std::size_t pos = 0;
    while (pos < value.size() && static_cast<unsigned char>(value[pos]) <= ' ') {
        ++pos;
    }
    bool negative = false;
    if (pos < value.size() && (value[pos] == '+' || value[pos] == '-')) {
        negative = value[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (value.size() - pos >= 2 && value[pos] == '0') {
        const char prefix = value[pos + 1];
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) {
            pos += 2;
        }
    }
    std::uint32_t total = 0;
    for (; pos < value.size(); ++pos) {
        const int digit = DigitValue(value[pos]);
        if (digit < 0 || digit >= base) {
            break;
        }
        total = total * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    return negative ? 0U - total : total;
}

std::string ReadString(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t capacity) {
    if (capacity == 0) {
        return {};
    }
    const std::optional<std::string_view> value = FindValue(text, section, key);
    std::string_view result = value ? Unquote(*value) : TrimTrailingSpaces(defaultValue);
    // The Windows API hands values over as C strings.
    result = result.substr(0, result.find('\0'));
    return std::string(result.substr(0, capacity - 1));
}

std::int32_t ReadInt(std::string_view text, std::string_view section, std::string_view key,
                     std::int32_t defaultValue) {
    const std::string value = ReadString(text, section, key, "", kIntBufferChars);
    if (value.empty()) {
        return defaultValue;
    }
    return static_cast<std::int32_t>(ParseProfileInt(value));
}

bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value) {
    using namespace std::string_view_literals;
    constexpr std::string_view kLineBreaks = "\r\n\0"sv;
    const std::string_view keyName = Trim(key);
    if (Trim(section).empty() || keyName.empty() || keyName.front() == '[' ||
        keyName.find('=') != std::string_view::npos) {
        return false;
    }
    for (const std::string_view part : {section, key, value}) {
        if (part.find_first_of(kLineBreaks) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    const std::string_view newline = NewlineOf(text);
    std::string entry;
    entry.reserve(keyName.size() + value.size() + 1 + newline.size());
    entry.append(keyName).append("=").append(value).append(newline);

    std::string out;
    out.reserve(text.size() + sectionName.size() + entry.size() + 8);
    const std::optional<SectionSpan> span = FindSection(text, sectionName);
    if (!span) {
        out.append(text);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') {
            out.append(newline);
        }
        out.append("[").append(sectionName).append("]").append(newline).append(entry);
        return out;
    }

    // New keys go after the last non-blank line, so blank separators stay last.
    std::size_t insertAt = span->header.next;
    bool unterminated = span->header.next == span->header.end;
    for (std::size_t pos = span->header.next; pos < span->bodyEnd;) {
        const Line line = LineAt(text, pos);
        const ParsedLine parsed = Parse(text, line);
        if (parsed.kind == LineKind::Entry && EqualsNoCase(parsed.name, keyName)) {
            out.append(text.substr(0, parsed.valueBegin)).append(value);
            out.append(text.substr(line.end));
            return out;
        }
        if (parsed.kind != LineKind::Blank) {
            insertAt = line.next;
            unterminated = line.next == line.end;
        }
        pos = line.next;
    }
    out.append(text.substr(0, insertAt));
    if (unterminated) {
        out.append(newline);
    }
    out.append(entry).append(text.substr(insertAt));
    return out;
}

} // namespace platform::ini
