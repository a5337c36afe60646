#pragma once

#include "common/language_texts.h"
#include "tests/support/text_files.h"

#include <iconv.h>

#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// utf8 as the bytes of a code page 936 file ("" for what it cannot hold).
inline std::string Cp936(std::string_view utf8) {
    const iconv_t encoder = iconv_open("CP936", "UTF-8");
    if (encoder == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string in(utf8);
    std::string out(in.size() * 2 + 4, '\0');
    char* inPointer = in.data();
    std::size_t inLeft = in.size();
    char* outPointer = out.data();
    std::size_t outLeft = out.size();
    const bool ok =
        iconv(encoder, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(encoder);
    out.resize(out.size() - outLeft);
    return ok ? out : std::string();
}

// The lines a text reader notes, kept for the test to read.
class NoteLines {
public:
    common::TextNote Sink() {
        return [this](const std::string& line) {
            lines.push_back(line);
        };
    }
    std::vector<std::string> lines;
};

} // namespace testing_support
