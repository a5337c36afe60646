#pragma once

#include "platform/registry_port.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// HKEY_LOCAL_MACHINE in memory, built by the test. Key and value names are
// matched ignoring case, as Windows does; subkeys are enumerated in the
// order the test added them. Using a key that is not open fails, so a
// caller that closes too early is caught.
class SimRegistry : public RegistryPort {
public:
    SimRegistry();
    ~SimRegistry() override;

    RegistryKey OpenKey(const std::string& path) override;
    void CloseKey(RegistryKey key) override;
    bool ReadString(RegistryKey key, const std::string& name, std::size_t bufferSize,
                    std::string& value) override;
    bool ReadDword(RegistryKey key, const std::string& name, std::uint32_t& value) override;
    bool QuerySubkeyCount(RegistryKey key, std::uint32_t& count) override;
    bool EnumSubkey(RegistryKey key, std::uint32_t index, std::string& name) override;

    // --- the test's side; each creates the key and the keys above it ---
    void AddKey(const std::string& path);
    void SetString(const std::string& path, const std::string& name, std::string value);
    void SetDword(const std::string& path, const std::string& name, std::uint32_t value);
    // Keys opened and not closed yet.
    int OpenKeyCount() const;

private:
    struct Node {
        std::string name;
        std::vector<std::unique_ptr<Node>> children;
        std::vector<std::pair<std::string, std::variant<std::string, std::uint32_t>>> values;
    };

    Node* Find(const std::string& path);
    Node& Create(const std::string& path);
    Node* Opened(RegistryKey key) const;
    const std::variant<std::string, std::uint32_t>* Value(RegistryKey key,
                                                          const std::string& name) const;

    mutable std::mutex m_mutex;
    std::unique_ptr<Node> m_root;
    std::map<std::uintptr_t, Node*> m_open;
    std::uintptr_t m_nextKey = 1;
};

} // namespace platform
