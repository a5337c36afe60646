#pragma once

#include "platform/registry_port.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// HKEY_LOCAL_MACHINE in memory, built by the test. Key and value names are
// matched ignoring case, as Windows does; subkeys are enumerated in the
// order the test added them. Using a key that is not open fails, so a
// caller that closes too early is caught; OpenKeyCount catches one that
// never closes.
class SimRegistry : public RegistryPort {
public:
    SimRegistry();
    ~SimRegistry() override;

    RegistryKey OpenKey(const std::string& path) override;
    std::optional<std::string> ReadString(const RegistryKey& key, const std::string& name,
                                          std::size_t bufferSize) override;
    std::optional<std::uint32_t> ReadDword(const RegistryKey& key,
                                           const std::string& name) override;
    std::optional<std::uint32_t> SubkeyCount(const RegistryKey& key) override;
    std::optional<std::string> EnumSubkey(const RegistryKey& key, std::uint32_t index) override;

    // Registry value types.
    static constexpr std::uint32_t kRegSz = 1;
    static constexpr std::uint32_t kRegDword = 4;

    // --- the test's side; each creates the key and the keys above it ---
    void AddKey(const std::string& path);
    // Stored with its terminator, as a program writes it.
    void SetString(const std::string& path, const std::string& name, std::string value);
    void SetDword(const std::string& path, const std::string& name, std::uint32_t value);
    // A value of any type and length, as a broken installer may leave it.
    void SetValue(const std::string& path, const std::string& name, std::uint32_t type,
                  std::vector<std::uint8_t> data);
    // Keys opened and not closed yet.
    int OpenKeyCount() const;
    // How often path was asked for, whether it exists or not.
    int OpenAttempts(const std::string& path) const;

private:
    struct Value {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Node {
        std::string name;
        std::vector<std::unique_ptr<Node>> children;
        std::vector<std::pair<std::string, Value>> values;
    };

    Node* Find(const std::string& path);
    Node& Create(const std::string& path);
    void CloseKey(std::uintptr_t handle) override;
    Node* Opened(const RegistryKey& key) const;
    const Value* FindValue(const RegistryKey& key, const std::string& name) const;

    mutable std::mutex m_mutex;
    std::unique_ptr<Node> m_root;
    std::map<std::uintptr_t, Node*> m_open;
    std::uintptr_t m_nextKey = 1;
    std::map<std::string, int> m_attempts;
};

} // namespace platform
