#include "model/settings_store.h"

namespace ks {

std::optional<std::int32_t> MemorySettingsStore::ReadInt(const std::string& section, const std::string& name) {
    auto it = values.find(section + "/" + name);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

void MemorySettingsStore::WriteInt(const std::string& section, const std::string& name, std::int32_t value) {
    values[section + "/" + name] = value;
}

std::optional<std::string> MemorySettingsStore::ReadString(const std::string& section, const std::string& name) {
    const auto it = texts.find(section + "/" + name);
    if (it == texts.end()) return std::nullopt;
    return it->second;
}

void MemorySettingsStore::WriteString(const std::string& section, const std::string& name, const std::string& value) {
    texts[section + "/" + name] = value;
}

}  // namespace ks
