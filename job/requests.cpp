#include "job/requests.h"

#include <algorithm>
#include <span>

#include "text/secure_wipe.h"

namespace trelvo {
namespace {

Bytes Request(std::uint16_t command, std::uint32_t value, std::span<const std::uint8_t> body) {
    MessageHeader header;
    header.FillHeader(HEADER_LEAD, command, value, static_cast<std::uint32_t>(body.size()));
    const MessageHeader::Wire wire = header.ToBytes();
    // Sized once: a reallocation would leave a copy of the password behind.
    Bytes request(wire.size() + body.size());
    const auto bodyStart = std::copy(wire.begin(), wire.end(), request.begin());
    std::copy(body.begin(), body.end(), bodyStart);
    return request;
}

}  // namespace

Bytes VersionQueryRequest(LinkKind link) {
    const std::uint32_t query =
        link == LinkKind::Serial ? VERSION_QUERY_SERIAL : VERSION_QUERY_NETWORK;
    return Request(CMD_GET_VERSION, query, {});
}

// Straight from the password's own storage into the request, so no body
// copy of it is left to wipe.
Bytes PasswordRequest(const std::string& password) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(password.c_str());
    return Request(CMD_PASSWORD, 0, {text, password.size() + 1});
}

Bytes FileDescriptorRequest(std::string_view remotePath, std::uint32_t fileSize) {
    return Request(CMD_FILE_DESCRIPTOR, 0, BuildFileDescriptorBody(remotePath, fileSize));
}

Bytes ExecuteRequest(std::string_view remotePath, std::string_view updateCode) {
    Bytes body = BuildExecuteBody(remotePath, updateCode);
    Bytes request = Request(CMD_EXECUTE_UPDATE, 0, body);
    // It holds the update code.
    SecureWipe(body.data(), body.size());
    return request;
}

}  // namespace trelvo
