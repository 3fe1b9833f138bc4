#include "fleet/update_file_read.h"

#include "digest/sha256.h"

namespace trelvo {

CheckedUpdateFile ReadUpdateFile(const std::string& path, std::stop_token stop) {
    CheckedUpdateFile checked;
    UpdateFile file;
    checked.opened = OpenUpdateFile(file, {path, {}, {}});
    if (checked.opened != Outcome::Succeeded) {
        checked.problem = file.problem();
        return checked;
    }
    if (file.Size() > kSharedFileLimit) {
        file.Close();
        checked.sha256 = FileSha256(path, stop);
    } else if (std::vector<std::uint8_t> bytes(file.Size());
               file.Next(bytes.size(), bytes).size() == bytes.size() && !stop.stop_requested()) {
        Sha256 hash;
        hash.Update(bytes);
        checked.sha256 = Sha256::Hex(hash.Finish());
        checked.bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
    }
    return checked;
}

}  // namespace trelvo
