// The desktop's device notifications and the broadcasts a test sends.
#include "platform/sim/sim_desktop.h"

#include "platform/window_messages.h"

#include <algorithm>
#include <cctype>

namespace platform {

bool SimDesktop::RegisterInterfaceNotification(WindowHandle window, std::string_view guidText) {
    // The form UuidFromString accepts: 8-4-4-4-12 hex digits.
    const bool wellFormed =
        guidText.size() == 36 &&
        std::all_of(guidText.begin(), guidText.end(), [&, i = 0](char c) mutable {
            const int at = i++;
            return (at == 8 || at == 13 || at == 18 || at == 23)
                       ? c == '-'
                       : std::isxdigit(static_cast<unsigned char>(c)) != 0;
        });
    std::lock_guard lock(m_mutex);
    if (!wellFormed || Find(window) == nullptr) {
        return false;
    }
    m_registrations.push_back({window, std::string(guidText)});
    return true;
}

std::optional<DeviceInterfaceEvent> SimDesktop::DecodeDeviceBroadcast(WParam event, LParam record) {
    // Like the real one: only the arrival-to-custom events carry a record,
    // and only an interface's record a name.
    constexpr WParam kFirstWithRecord = 0x8000;
    constexpr WParam kLastWithRecord = 0x8006;
    std::lock_guard lock(m_mutex);
    const auto it = m_broadcastRecords.find(record);
    if (record == 0 || it == m_broadcastRecords.end() || event < kFirstWithRecord ||
        event > kLastWithRecord) {
        return std::nullopt;
    }
    DeviceInterfaceEvent decoded = it->second;
    decoded.eventCode = static_cast<std::uint32_t>(event);
    if (decoded.deviceType != dbt::kDevTypDeviceInterface) {
        decoded.interfaceName.clear();
    }
    return decoded;
}

LParam SimDesktop::MakeBroadcastRecord(std::uint32_t deviceType, std::string name) {
    std::lock_guard lock(m_mutex);
    const auto record = static_cast<LParam>(m_broadcastRecords.size() + 1);
    m_broadcastRecords[record] = {0, deviceType, std::move(name)};
    return record;
}

LResult SimDesktop::SendDeviceChange(WindowHandle window, std::uint32_t eventCode,
                                     std::uint32_t deviceType, std::string interfaceName) {
    const LParam record = MakeBroadcastRecord(deviceType, std::move(interfaceName));
    return Send(window, wm::kDeviceChange, eventCode, record);
}

std::vector<NotificationRegistration> SimDesktop::Registrations() const {
    std::lock_guard lock(m_mutex);
    return m_registrations;
}

} // namespace platform
