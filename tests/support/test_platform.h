#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// What the tests need of the operating system, with one implementation per
// platform, so the suites of the core build and run on Linux and Windows.
namespace trelvo {

// Sets an environment variable of this process, or removes it (nothing).
void SetTestEnvironment(const char* name, const std::optional<std::string>& value);

// A new, empty folder under `parent` whose name starts with `prefix`.
// Throws when none can be made.
std::filesystem::path MakeUniqueFolder(const std::filesystem::path& parent,
                                       const std::string& prefix);

// Files this process holds open (descriptors, or handles on Windows); a
// parse that leaks its file leaves one more.
long OpenDescriptorCount();

// Sets the file's size, sparse where it grows: MinGW's
// std::filesystem::resize_file stops at 2 GiB. Throws when it cannot.
void ResizeTestFile(const std::filesystem::path& path, std::uint64_t size);

// Makes a FIFO at `path`; false where the file system has none (Windows).
bool MakeFifo(const std::string& path);

}  // namespace trelvo
