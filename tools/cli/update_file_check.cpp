#include "tools/cli/update_file_check.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "ui/localisation/localize_text.h"

namespace trelvo {

std::string CheckUpdateFile(const std::string& path) {
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(path, error);
    if (!regular || !std::ifstream(path, std::ios::binary).is_open()) {
        return LocalizeText("Gewählte Datei konnte nicht gefunden werden");
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size == 0) {
        return LocalizeText("Gewählte Datei hat keinen Inhalt");
    }
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        return LocalizeText("Gewählte Datei ist zu groß");
    }
    return {};
}

}  // namespace trelvo
