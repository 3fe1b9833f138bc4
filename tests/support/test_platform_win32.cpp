#include <windows.h>

#include <random>
#include <stdexcept>

#include "test_platform.h"

namespace trelvo {

void SetTestEnvironment(const char* name, const std::optional<std::string>& value) {
    // _putenv_s keeps the C library's copy, which getenv reads, in step
    // with the process's; an empty value removes the variable.
    _putenv_s(name, value ? value->c_str() : "");
}

std::filesystem::path MakeUniqueFolder(const std::filesystem::path& parent,
                                       const std::string& prefix) {
    std::random_device seed;
    std::mt19937 random(seed());
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    // A name taken by someone else is tried again, a bounded number of times.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            name += kLetters[random() % (sizeof kLetters - 1)];
        }
        const std::filesystem::path folder = parent / name;
        std::error_code error;
        if (std::filesystem::create_directory(folder, error)) {
            return folder;
        }
    }
    throw std::runtime_error("cannot create a folder in " + parent.string());
}

long OpenDescriptorCount() {
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    return static_cast<long>(handles);
}

bool MakeFifo(const std::string&) {
    return false;
}

void ResizeTestFile(const std::filesystem::path& path, std::uint64_t size) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool resized = file != INVALID_HANDLE_VALUE &&
                         SetFilePointerEx(file, end, nullptr, FILE_BEGIN) != 0 &&
                         SetEndOfFile(file) != 0;
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    if (!resized) {
        throw std::runtime_error("cannot resize " + path.string());
    }
}

}  // namespace trelvo
