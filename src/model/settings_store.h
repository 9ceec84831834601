#pragma once
// The per-user store of settings and the names kept in it.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace ks {

// A per-user store of named integers grouped in sections. The app and the
// command-line tool back it with QSettings; tests with memory.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual std::optional<std::int32_t> ReadInt(const std::string& section, const std::string& name) = 0;
    virtual void WriteInt(const std::string& section, const std::string& name, std::int32_t value) = 0;
    // Texts (the help address); a store that keeps none reads nothing.
    virtual std::optional<std::string> ReadString(const std::string&, const std::string&) { return std::nullopt; }
    virtual void WriteString(const std::string&, const std::string&, const std::string&) {}
};

class MemorySettingsStore : public ISettingsStore {
public:
    std::optional<std::int32_t> ReadInt(const std::string& section, const std::string& name) override;
    void WriteInt(const std::string& section, const std::string& name, std::int32_t value) override;
    std::optional<std::string> ReadString(const std::string& section, const std::string& name) override;
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;
    std::map<std::string, std::int32_t> values;  // "section/name" -> value
    std::map<std::string, std::string> texts;
};

inline constexpr const char* kSettingsSection = "Program Settings";
inline constexpr const char* kKeyLearnRate = "LearnRate";
inline constexpr const char* kKeyMomentum = "Momentum";
inline constexpr const char* kKeyResetMax = "ResetMax";
inline constexpr const char* kKeyBatchSize = "BatchSize";
inline constexpr const char* kKeyTrainingMethod = "TrainingMethod";  // 0 winner learning, 1 resilient backprop
// How the window watches a run: the percentage of scenarios held out, the
// seed of that split, and the cycles without a better figure before stopping.
inline constexpr const char* kKeyHoldOutPercent = "HoldOutPercent";
inline constexpr const char* kKeyHoldOutSeed = "HoldOutSeed";
inline constexpr const char* kKeyPatience = "Patience";
inline constexpr const char* kKeyThreads = "TrainingThreads";
inline constexpr const char* kKeyHelpAddress = "HelpAddress";  // scheme and host of the online help; none: the installed manual

}  // namespace ks
