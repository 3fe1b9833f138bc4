#pragma once

#include <map>
#include <string>

#include "ui/fleet/fleet_settings.h"

namespace trelvo {

// The settings as one small JSON object in a file, for a system without a
// settings store of its own. Read once; every change writes the file whole
// (AtomicFile), making its folder when it is missing. A missing or broken
// file counts as no settings: the window starts with its defaults.
class FleetSettingsFile final : public FleetSettings {
public:
    explicit FleetSettingsFile(std::string path);

    std::optional<std::string> Value(const std::string& key) const override;
    void SetValue(const std::string& key, const std::string& value) override;

private:
    std::string path_;  // UTF-8
    std::map<std::string, std::string> values_;
};

}  // namespace trelvo
