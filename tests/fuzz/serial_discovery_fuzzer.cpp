// Any registry tree under the serial discovery's keys, with values of any
// type and length: the discovery finds at most what fits its buffers,
// opens only the port it found, and closes every key it opened.
#include "driver/link/serial_link.h"
#include "driver/state/driver_state.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_serial_port.h"
#include "platform/sim/sim_trace.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using platform::SimRegistry;

constexpr std::array<std::string_view, 4> kPrefixes = {"##?#USB#", "##?#usb#", "##?#HID#", ""};
constexpr std::array<std::string_view, 4> kIds = {"Vid_10c4&Pid_1320", "VID_10C4&PID_1320",
                                                  "Vid_10c4&Pid_1321", "Vid_10c4"};
constexpr std::array<std::string_view, 5> kValueNames = {"PortName", "Linked", "SymbolicLink",
                                                         "linked", "Other"};

std::string Pick(FuzzedDataProvider& input, auto& table) {
    return std::string(table[input.ConsumeIntegralInRange<std::size_t>(0, table.size() - 1)]);
}

std::vector<std::uint8_t> Data(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: { // a string, maybe without its terminator
        std::string text = input.ConsumeRandomLengthString(300);
        std::vector<std::uint8_t> data(text.begin(), text.end());
        if (input.ConsumeBool()) {
            data.push_back(0);
        }
        return data;
    }
    case 1: // a number of the usual size
        return input.ConsumeBytes<std::uint8_t>(4);
    default:
        return input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 12));
    }
}

std::uint32_t Type(FuzzedDataProvider& input) {
    // Mostly the types the driver reads, sometimes any other.
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return SimRegistry::kRegSz;
    case 1:
        return SimRegistry::kRegDword;
    default:
        return input.ConsumeIntegralInRange<std::uint32_t>(0, 11);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool isWow64 = input.ConsumeBool();

    platform::SimRegistry registry;
    platform::SimClock clock;
    platform::SimSerialPort port(clock);
    platform::SimTrace trace;
    driver::DriverState state;
    state.isWow64 = isWow64 ? 1 : 0;
    driver::SerialLink link(state, registry, port, trace);
    const std::string root = driver::SerialLink::kInterfaceWalkRoot;
    const std::array<std::string, 5> keys = {
        link.PortNameKeyPath(), link.LinkedKeyPath(), root,
        root + "\\##?#USB#Vid_10c4&Pid_1320#0001#{x}\\#",
        root + "\\##?#USB#Vid_10c4&Pid_1320#0001#{x}\\#\\Control"};

    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0: { // an interface under the walk root, with its values
            const std::string name =
                Pick(input, kPrefixes) + Pick(input, kIds) + input.ConsumeRandomLengthString(40);
            registry.AddKey(root + "\\" + name);
            if (input.ConsumeBool()) {
                registry.SetValue(root + "\\" + name + "\\#\\Control", Pick(input, kValueNames),
                                  Type(input), Data(input));
            }
            if (input.ConsumeBool()) {
                registry.SetValue(root + "\\" + name + "\\#", Pick(input, kValueNames), Type(input),
                                  Data(input));
            }
            break;
        }
        case 1: { // a value at one of the keys the discovery reads
            const std::string& key = keys[input.ConsumeIntegralInRange<std::size_t>(0, 4)];
            registry.SetValue(key, Pick(input, kValueNames), Type(input), Data(input));
            break;
        }
        default: // any other key, as long as a name can be
            registry.AddKey(root + "\\" + input.ConsumeRandomLengthString(300));
            break;
        }
    }

    const std::string before = link.SerialPortName();
    const bool named = link.FindSerialPortName();
    FUZZ_CHECK(registry.OpenKeyCount() == 0);
    if (named) {
        FUZZ_CHECK(link.SerialPortName().starts_with("\\\\.\\") &&
                   link.SerialPortName().size() - 4 < driver::SerialLink::kPortNameBuffer &&
                   link.SerialPortName().find('\0') == std::string::npos);
    } else {
        FUZZ_CHECK(link.SerialPortName() == before);
    }

    const std::optional<std::string> linked =
        link.FindLinkedSerialInterface(driver::kSerialBridgeIds);
    FUZZ_CHECK(registry.OpenKeyCount() == 0);
    if (linked) {
        FUZZ_CHECK(linked->size() < driver::SerialLink::kSymbolicLinkBuffer);
        FUZZ_CHECK(linked->find('\0') == std::string::npos);
    }
    const int interfaceLinked = link.IsSerialInterfaceLinked();
    FUZZ_CHECK(interfaceLinked >= 0 && interfaceLinked <= 0xFF);
    FUZZ_CHECK(registry.OpenKeyCount() == 0);

    // The port opens where the discovery says, and nowhere else.
    const std::string expected = isWow64 ? linked.value_or("") : link.SerialPortName();
    port.SetDevicePath(expected);
    const bool opened = link.OpenSerialPort();
    FUZZ_CHECK(registry.OpenKeyCount() == 0);
    FUZZ_CHECK(port.OpenedPaths().size() == 1 && port.OpenedPaths()[0] == expected);
    FUZZ_CHECK(opened == !expected.empty() && (state.linkOpen == 1) == opened);
    return 0;
}
