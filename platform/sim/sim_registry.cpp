#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

bool SameName(const std::string& a, const std::string& b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type end = path.find('\\', start);
        parts.push_back(path.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

} // namespace

SimRegistry::SimRegistry() : m_root(std::make_unique<Node>()) {}

SimRegistry::~SimRegistry() = default;

SimRegistry::Node* SimRegistry::Find(const std::string& path) {
    Node* node = m_root.get();
    for (const std::string& part : Split(path)) {
        const auto child = std::ranges::find_if(
            node->children, [&](const auto& candidate) { return SameName(candidate->name, part); });
        if (part.empty() || child == node->children.end()) {
            return nullptr;
        }
        node = child->get();
    }
    return node;
}

SimRegistry::Node& SimRegistry::Create(const std::string& path) {
    Node* node = m_root.get();
    for (const std::string& part : Split(path)) {
        const auto child = std::ranges::find_if(
            node->children, [&](const auto& candidate) { return SameName(candidate->name, part); });
        if (child != node->children.end()) {
            node = child->get();
            continue;
        }
        node->children.push_back(std::make_unique<Node>());
        node = node->children.back().get();
        node->name = part;
    }
    return *node;
}

SimRegistry::Node* SimRegistry::Opened(const RegistryKey& key) const {
    const auto open = m_open.find(key.Handle());
    return open == m_open.end() ? nullptr : open->second;
}

const SimRegistry::Value* SimRegistry::FindValue(const RegistryKey& key,
                                                 const std::string& name) const {
    const Node* node = Opened(key);
    if (node == nullptr) {
        return nullptr;
    }
    const auto value = std::ranges::find_if(
        node->values, [&](const auto& candidate) { return SameName(candidate.first, name); });
    return value == node->values.end() ? nullptr : &value->second;
}

RegistryKey SimRegistry::OpenKey(const std::string& path) {
    std::lock_guard lock(m_mutex);
    ++m_attempts[path];
    Node* node = Find(path);
    if (node == nullptr) {
        return {};
    }
    const std::uintptr_t key = m_nextKey++;
    m_open.emplace(key, node);
    return {*this, key};
}

void SimRegistry::CloseKey(std::uintptr_t handle) {
    std::lock_guard lock(m_mutex);
    m_open.erase(handle);
}

// As RegQueryValueEx: a value larger than the buffer does not come at all;
// one stored without its terminator comes up to its first NUL, and must
// leave room for the terminator like any other.
std::optional<std::string> SimRegistry::ReadString(const RegistryKey& key, const std::string& name,
                                                   std::size_t bufferSize) {
    std::lock_guard lock(m_mutex);
    const Value* stored = FindValue(key, name);
    if (stored == nullptr || stored->type != kRegSz || stored->data.size() > bufferSize) {
        return std::nullopt;
    }
    const auto end = std::ranges::find(stored->data, std::uint8_t{0});
    if (static_cast<std::size_t>(end - stored->data.begin()) >= bufferSize) {
        return std::nullopt;
    }
    return std::string(stored->data.begin(), end);
}

std::optional<std::uint32_t> SimRegistry::ReadDword(const RegistryKey& key,
                                                    const std::string& name) {
    std::lock_guard lock(m_mutex);
    const Value* stored = FindValue(key, name);
    if (stored == nullptr || stored->type != kRegDword || stored->data.size() != 4) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        number |= std::uint32_t{stored->data[i]} << (8 * i);
    }
    return number;
}

std::optional<std::uint32_t> SimRegistry::SubkeyCount(const RegistryKey& key) {
    std::lock_guard lock(m_mutex);
    const Node* node = Opened(key);
    if (node == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(node->children.size());
}

std::optional<std::string> SimRegistry::EnumSubkey(const RegistryKey& key, std::uint32_t index) {
    std::lock_guard lock(m_mutex);
    const Node* node = Opened(key);
    if (node == nullptr || index >= node->children.size() ||
        node->children[index]->name.size() >= kSubkeyNameBuffer) {
        return std::nullopt;
    }
    return node->children[index]->name;
}

void SimRegistry::AddKey(const std::string& path) {
    std::lock_guard lock(m_mutex);
    Create(path);
}

void SimRegistry::SetString(const std::string& path, const std::string& name, std::string value) {
    std::vector<std::uint8_t> data(value.begin(), value.end());
    data.push_back(0);
    SetValue(path, name, kRegSz, std::move(data));
}

void SimRegistry::SetDword(const std::string& path, const std::string& name, std::uint32_t value) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 4; ++i) {
        data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    SetValue(path, name, kRegDword, std::move(data));
}

void SimRegistry::SetValue(const std::string& path, const std::string& name, std::uint32_t type,
                           std::vector<std::uint8_t> data) {
    std::lock_guard lock(m_mutex);
    Node& node = Create(path);
    std::erase_if(node.values, [&](const auto& old) { return SameName(old.first, name); });
    node.values.emplace_back(name, Value{type, std::move(data)});
}

int SimRegistry::OpenAttempts(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_attempts.find(path);
    return found == m_attempts.end() ? 0 : found->second;
}

int SimRegistry::OpenKeyCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_open.size());
}

} // namespace platform
