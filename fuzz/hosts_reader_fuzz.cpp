// Any hosts file content up to 64 KiB.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "names/hosts_name_reader.h"
#include "scratch_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) {
        return -1;
    }
    static const trelvo::ScratchDir dir;
    const std::string path =
        dir.Write("lmhosts", std::string_view(reinterpret_cast<const char*>(data), size));
    trelvo::HostsNameReader reader;
    if (!reader.BuildTable() || !reader.ParseFile(path)) {
        std::abort();
    }
    // A name is taken from the file's bytes and is never longer than the file.
    for (const std::string& name : reader.names()) {
        if (name.size() > size) {
            std::abort();
        }
    }
    return 0;
}
