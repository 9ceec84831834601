#include "qt/qsettings_store.h"

#include <QSettings>
#include <QString>

namespace ks {

namespace {
constexpr const char* kOrganisation = "Halvek Systems";
constexpr const char* kApplication = "Kestrine";

QString Key(const std::string& section, const std::string& name) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(name);
}
}  // namespace

std::optional<std::int32_t> QSettingsStore::ReadInt(const std::string& section, const std::string& name) {
    QSettings settings(kOrganisation, kApplication);
    const QVariant v = settings.value(Key(section, name));
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const int value = v.toInt(&ok);
    if (!ok) return std::nullopt;
    return value;
}

void QSettingsStore::WriteInt(const std::string& section, const std::string& name, std::int32_t value) {
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(Key(section, name), value);
}

std::optional<std::string> QSettingsStore::ReadString(const std::string& section, const std::string& name) {
    QSettings settings(kOrganisation, kApplication);
    const QVariant v = settings.value(Key(section, name));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
}

void QSettingsStore::WriteString(const std::string& section, const std::string& name, const std::string& value) {
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(Key(section, name), QString::fromStdString(value));
}

}  // namespace ks
