#include <windows.h>

#include <algorithm>
#include <string>

#include "job/read_only_file.h"
#include "text/utf8_path.h"

namespace trelvo {
namespace {

// A folder refuses the open with "access denied" too; its attributes tell.
FileProblem ProblemOf(DWORD error, const std::wstring& name) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return FileProblem::Missing;
        case ERROR_ACCESS_DENIED: {
            const DWORD attributes = GetFileAttributesW(name.c_str());
            return attributes != INVALID_FILE_ATTRIBUTES &&
                           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                       ? FileProblem::Folder
                       : FileProblem::NoPermission;
        }
        default:
            return FileProblem::Unreadable;
    }
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

// Shared for reading only: others may read the file while it streams, but
// not write or delete it. A folder does not open without backup semantics;
// a device or a pipe is no disk file.
bool ReadOnlyFile::Open(const std::string& name) {
    Close();
    const std::optional<std::filesystem::path> path = Utf8Path(name);
    if (name.empty() || !path) {
        problem_ = FileProblem::Missing;
        return false;
    }
    const std::wstring& wide = path->native();
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem_ = ProblemOf(GetLastError(), wide);
        return false;
    }
    LARGE_INTEGER size{};
    if (const DWORD type = GetFileType(file); type != FILE_TYPE_DISK) {
        problem_ = type == FILE_TYPE_PIPE ? FileProblem::Pipe : FileProblem::Device;
        CloseHandle(file);
        return false;
    }
    if (GetFileSizeEx(file, &size) == 0 || size.QuadPart < 0) {
        problem_ = FileProblem::Unreadable;
        CloseHandle(file);
        return false;
    }
    problem_ = FileProblem::None;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

void ReadOnlyFile::Close() {
    if (handle_ != kClosed) {
        CloseHandle(AsHandle(handle_));
        handle_ = kClosed;
    }
    size_ = 0;
}

std::size_t ReadOnlyFile::Read(std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (handle_ != kClosed && done < count) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(count - done, MAXDWORD));
        DWORD got = 0;
        if (ReadFile(AsHandle(handle_), buffer + done, wanted, &got, nullptr) == 0 || got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

}  // namespace trelvo
