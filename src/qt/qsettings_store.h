#pragma once
// The per-user settings store of the app and the command-line tool, kept by
// QSettings under the organisation "Halvek Systems".
#include "model/settings_store.h"

namespace ks {

class QSettingsStore : public ISettingsStore {
public:
    std::optional<std::int32_t> ReadInt(const std::string& section, const std::string& name) override;
    void WriteInt(const std::string& section, const std::string& name, std::int32_t value) override;
    std::optional<std::string> ReadString(const std::string& section, const std::string& name) override;
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;
};

}  // namespace ks
