#include <windows.h>

#include <algorithm>
#include <optional>
#include <system_error>

#include "fleet/atomic_file.h"
#include "text/utf8_path.h"

namespace trelvo {
namespace {

std::string Reason(DWORD error) {
    return std::system_category().message(static_cast<int>(error));
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool AtomicFile::CreateNew(const std::string& name, bool& exists) {
    const std::optional<std::filesystem::path> wide = Utf8Path(name);
    if (!wide) {
        exists = false;
        error_ = Reason(ERROR_INVALID_NAME);
        return false;
    }
    const HANDLE file = CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        error_ = Reason(error);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool AtomicFile::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
        DWORD written = 0;
        if (WriteFile(AsHandle(handle_), bytes.data(), wanted, &written, nullptr) == 0) {
            error_ = Reason(GetLastError());
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool AtomicFile::FlushAndClose() {
    const bool flushed = FlushFileBuffers(AsHandle(handle_)) != 0;
    if (!flushed) {
        error_ = Reason(GetLastError());
    }
    CloseHandle(AsHandle(handle_));
    handle_ = kClosed;
    return flushed;
}

void AtomicFile::Close() {
    CloseHandle(AsHandle(handle_));
    handle_ = kClosed;
}

// Write-through: the call returns once the new name is on the disk.
bool AtomicFile::ReplaceTarget() {
    const std::optional<std::filesystem::path> from = Utf8Path(temporary_);
    const std::optional<std::filesystem::path> to = Utf8Path(path_);
    if (!from || !to) {
        error_ = Reason(ERROR_INVALID_NAME);
        return false;
    }
    if (MoveFileExW(from->c_str(), to->c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        error_ = Reason(GetLastError());
        return false;
    }
    temporary_.clear();
    return true;
}

void AtomicFile::RemoveTemporary() {
    if (temporary_.empty()) {
        return;
    }
    if (const std::optional<std::filesystem::path> name = Utf8Path(temporary_)) {
        DeleteFileW(name->c_str());
    }
    temporary_.clear();
}

}  // namespace trelvo
