#include "ui/qt/qt_fleet_settings.h"

namespace trelvo {

QtFleetSettings::QtFleetSettings()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Trelvo"),
                QStringLiteral("trelvo")) {}

QtFleetSettings::QtFleetSettings(const QString& iniFile)
    : settings_(iniFile, QSettings::IniFormat) {}

QString QtFleetSettings::KeyOf(const std::string& key) {
    return QStringLiteral("fleet/") + QString::fromStdString(key);
}

std::optional<std::string> QtFleetSettings::Value(const std::string& key) const {
    const QString qtKey = KeyOf(key);
    if (!settings_.contains(qtKey)) {
        return std::nullopt;
    }
    return settings_.value(qtKey).toString().toStdString();
}

void QtFleetSettings::SetValue(const std::string& key, const std::string& value) {
    settings_.setValue(KeyOf(key), QString::fromStdString(value));
}

}  // namespace trelvo
