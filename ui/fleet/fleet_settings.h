#pragma once

#include <optional>
#include <string>

namespace trelvo {

// Where the fleet window keeps what it remembers between runs (options,
// the last folder, the recorder list; never a password or a code): the Qt
// settings on Linux, a file under the user's application data on Windows.
class FleetSettings {
public:
    virtual ~FleetSettings() = default;
    virtual std::optional<std::string> Value(const std::string& key) const = 0;
    virtual void SetValue(const std::string& key, const std::string& value) = 0;
};

}  // namespace trelvo
