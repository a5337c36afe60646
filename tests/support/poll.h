#pragma once

#include <chrono>
#include <thread>

namespace testing_support {

// For the few tests with a real thread: waits in real time until condition
// holds, and gives up after bound (a failing test, not a hanging one).
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds bound = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace testing_support
