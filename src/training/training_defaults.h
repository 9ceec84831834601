#pragma once
// The four stored training defaults and the per-user store that keeps them.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace ks {

class CProject;

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
inline constexpr const char* kKeyHelpAddress = "HelpAddress";  // scheme and host of the online help; none: the installed manual

struct TrainingDefaults {
    double learnRate = 0.25;
    double momentum = 0.75;
    std::int32_t batchSize = 4;
    std::int32_t resetLimit = 2000;
};

// Reads the four values; an absent value keeps its built-in default, a present
// one (even 0 or negative) is used as stored.
TrainingDefaults ReadTrainingDefaults(ISettingsStore* store);
void ReadTrainingDefaults(CProject& project, ISettingsStore* store);
// Stores the four values in the project and the store, and applies them to
// the project's model and scenario manager.
void StoreTrainingDefaults(CProject& project, ISettingsStore* store, double learnRate, double momentum,
                           std::int32_t batchSize, std::int32_t resetLimit);

}  // namespace ks
