#pragma once

#include "platform/sim/sim_desktop.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <vector>

namespace testing_support {

inline constexpr std::nullopt_t kAnyTime = std::nullopt;

// One message of an expected sequence: when (virtual ms; kAnyTime leaves it
// open), what, and whether it may be missing.
struct ExpectedPost {
    std::optional<std::uint64_t> atMs;
    std::uint32_t message = 0;
    platform::WParam wParam = 0;
    platform::LParam lParam = 0;
    bool optional = false;
};

// The messages got, in order, against the expected sequence: each entry must
// match the next message unless it is optional, and nothing may follow. The
// failure names the first difference and prints both sequences.
inline ::testing::AssertionResult PostsAre(const std::vector<platform::PostedMessage>& got,
                                           const std::vector<ExpectedPost>& expected) {
    const auto matches = [](const platform::PostedMessage& m, const ExpectedPost& e) {
        return m.message == e.message && m.wParam == e.wParam && m.lParam == e.lParam &&
               (!e.atMs || *e.atMs == m.atMs);
    };
    const auto failure = [&](const std::string& what) {
        std::ostringstream text;
        text << what << "\n  got:";
        for (const platform::PostedMessage& m : got) {
            text << "\n    ";
            platform::PrintTo(m, &text);
        }
        text << "\n  expected:";
        for (const ExpectedPost& e : expected) {
            text << "\n    (0x" << std::hex << e.message << std::dec << ", " << e.wParam << ", "
                 << e.lParam << ")";
            if (e.atMs) {
                text << " at " << *e.atMs << " ms";
            }
            if (e.optional) {
                text << " (optional)";
            }
        }
        return ::testing::AssertionFailure() << text.str();
    };
    std::size_t next = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (next < got.size() && matches(got[next], expected[i])) {
            ++next;
        } else if (!expected[i].optional) {
            return failure("message " + std::to_string(next) + " is not expected entry " +
                           std::to_string(i));
        }
    }
    if (next != got.size()) {
        return failure("message " + std::to_string(next) + " was not expected");
    }
    return ::testing::AssertionSuccess();
}

} // namespace testing_support
