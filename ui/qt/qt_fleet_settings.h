#pragma once

#include <QSettings>
#include <optional>
#include <string>

#include "ui/fleet/fleet_settings.h"

namespace trelvo {

// The fleet window's memory in the toolkit's settings: the user's Trelvo
// settings (~/.config/Trelvo/trelvo.conf), group "fleet", or the file a
// test names.
class QtFleetSettings final : public FleetSettings {
public:
    QtFleetSettings();
    explicit QtFleetSettings(const QString& iniFile);

    std::optional<std::string> Value(const std::string& key) const override;
    void SetValue(const std::string& key, const std::string& value) override;

private:
    static QString KeyOf(const std::string& key);

    QSettings settings_;
};

}  // namespace trelvo
