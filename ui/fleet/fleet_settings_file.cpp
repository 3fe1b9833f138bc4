#include "ui/fleet/fleet_settings_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "fleet/atomic_file.h"
#include "text/utf8_path.h"

namespace trelvo {
namespace {

// Far more than the window writes; a bound for a file that is no settings.
constexpr std::uintmax_t kMostSettingsBytes = 16 * 1024 * 1024;

}  // namespace

FleetSettingsFile::FleetSettingsFile(std::string path) : path_(std::move(path)) {
    const std::optional<std::filesystem::path> name = Utf8Path(path_);
    std::error_code error;
    if (!name || std::filesystem::file_size(*name, error) > kMostSettingsBytes || error) {
        return;
    }
    std::ifstream file(*name, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    const nlohmann::json object = nlohmann::json::parse(text, nullptr, false);
    if (!object.is_object()) {
        return;
    }
    for (const auto& [key, value] : object.items()) {
        if (value.is_string()) {
            values_[key] = value.get<std::string>();
        }
    }
}

std::optional<std::string> FleetSettingsFile::Value(const std::string& key) const {
    const auto found = values_.find(key);
    return found == values_.end() ? std::nullopt : std::optional(found->second);
}

void FleetSettingsFile::SetValue(const std::string& key, const std::string& value) {
    if (const auto found = values_.find(key); found != values_.end() && found->second == value) {
        return;
    }
    values_[key] = value;
    if (const std::optional<std::filesystem::path> name = Utf8Path(path_)) {
        std::error_code ignored;
        std::filesystem::create_directories(name->parent_path(), ignored);
    }
    // Settings are a convenience: one that cannot be written is not worth
    // a message in the middle of a run.
    AtomicFile file(path_);
    if (file.Open()) {
        file.Write(
            nlohmann::json(values_).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
            '\n');
        file.Commit();
    }
}

}  // namespace trelvo
