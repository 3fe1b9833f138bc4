// The application manifest as Windows reads it from each program (resource
// 1 of type RT_MANIFEST): this suite's own, made by the same CMake function,
// and the programs'.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ui/win32/win32_api.h"

namespace trelvo {
namespace {

// CREATEPROCESS_MANIFEST_RESOURCE_ID and RT_MANIFEST.
constexpr WORD kManifestId = 1;
constexpr WORD kManifestType = 24;

std::string ManifestOf(HMODULE module) {
    const HRSRC found =
        FindResourceW(module, MAKEINTRESOURCEW(kManifestId), MAKEINTRESOURCEW(kManifestType));
    if (found == nullptr) {
        return {};
    }
    const HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return {};
    }
    return std::string(static_cast<const char*>(bytes), SizeofResource(module, found));
}

struct ManifestPart {
    const char* what;
    const char* text;
    bool wanted;
};

constexpr ManifestPart kParts[] = {
    {"runs with the rights of whoever starts it",
     R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)", true},
    {"not DPI-aware, before Windows 10", ">false</dpiAware>", true},
    {"not DPI-aware, from Windows 10 on", ">unaware</dpiAwareness>", true},
    {"made for Windows Vista", R"(<supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/>)",
     true},
    {"made for Windows 7", R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)", true},
    {"made for Windows 8", R"(<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>)", true},
    {"made for Windows 8.1", R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)", true},
    {"made for Windows 10 and 11", R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",
     true},
    {"the classic controls, no visual styles", "Microsoft.Windows.Common-Controls", false},
    {"no elevation asked for", "requireAdministrator", false},
};

void ExpectTheProgramsManifest(const std::string& manifest) {
    ASSERT_FALSE(manifest.empty()) << "no manifest";
    EXPECT_EQ(manifest.rfind("<?xml", 0), 0U) << manifest;
    for (const ManifestPart& part : kParts) {
        EXPECT_EQ(manifest.find(part.text) != std::string::npos, part.wanted) << part.what;
    }
}

TEST(ApplicationManifest, TheSuitesOwnHasEveryPart) {
    ExpectTheProgramsManifest(ManifestOf(GetModuleHandleW(nullptr)));
}

// Both programs, named by TRELVO_EXE and TRELVO_CLI_EXE.
TEST(ApplicationManifest, EachProgramHasEveryPart) {
    for (const char* variable : {"TRELVO_EXE", "TRELVO_CLI_EXE"}) {
        const char* path = std::getenv(variable);
        if (path == nullptr || *path == '\0') {
            GTEST_SKIP() << variable << " names no program";
        }
        const HMODULE program = LoadLibraryExA(
            path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(program, nullptr) << path;
        ExpectTheProgramsManifest(ManifestOf(program));
        FreeLibrary(program);
    }
}

}  // namespace
}  // namespace trelvo
