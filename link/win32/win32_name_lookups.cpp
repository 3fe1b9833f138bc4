#include "link/win32/win32_name_lookups.h"

#include <system_error>
#include <thread>
#include <utility>

#include "link/ipv4_address.h"

namespace trelvo {
namespace {

// The answer travels in the message itself, so nothing is shared with the
// thread that asked.
static_assert(sizeof(LPARAM) >= 8, "an answer needs a flag beside the address");
constexpr LPARAM kFound = LPARAM{1} << 32;

LPARAM Pack(std::optional<std::uint32_t> address) {
    return address ? kFound | static_cast<LPARAM>(*address) : 0;
}

}  // namespace

Win32NameLookups& Win32NameLookups::System() {
    static Win32NameLookups lookups(&LookUpIpv4);
    return lookups;
}

Win32NameLookups::Win32NameLookups(LookupFunction lookup, int mostThreads)
    : shared_(std::make_shared<Shared>(std::move(lookup), mostThreads)) {}

void Win32NameLookups::Start(const std::string& host, HWND window, UINT message, WPARAM ticket) {
    if (shared_->threads.fetch_add(1) < shared_->mostThreads) {
        try {
            std::thread([shared = shared_, host, window, message, ticket] {
                PostMessageW(window, message, ticket, Pack(shared->lookup(host)));
                --shared->threads;
            }).detach();
            return;
        } catch (const std::system_error&) {
            // No thread to be had: the name stays unknown, like one that failed.
        }
    }
    --shared_->threads;
    PostMessageW(window, message, ticket, Pack(std::nullopt));
}

std::optional<std::uint32_t> Win32NameLookups::AnswerOf(LPARAM packed) {
    if ((packed & kFound) == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(packed & 0xFFFFFFFF);
}

}  // namespace trelvo
