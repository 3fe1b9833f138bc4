#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "job/wire_format.h"

// What a client sends a recorder, for the simulator's tests.
namespace trelvo {

// Requests are built with the tool's own wire format, as the tool sends them.
inline Bytes Request(std::uint16_t command, std::uint32_t value, const Bytes& body = {}) {
    MessageHeader header;
    header.FillHeader(HEADER_LEAD, command, value, static_cast<std::uint32_t>(body.size()));
    const MessageHeader::Wire wire = header.ToBytes();
    Bytes out(wire.begin(), wire.end());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes Text(std::string_view text) {
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Everything a client sends for one update over the network.
inline Bytes ClientStream(std::string_view password, std::string_view code, const Bytes& file,
                          const std::string& path = "/tmp/a.sh") {
    return Concat({Request(CMD_GET_VERSION, VERSION_QUERY_NETWORK),
                   Request(CMD_PASSWORD, 0, Text(password)),
                   Request(CMD_FILE_DESCRIPTOR, 0,
                           BuildFileDescriptorBody(path, static_cast<std::uint32_t>(file.size()))),
                   file, Request(CMD_EXECUTE_UPDATE, 0, BuildExecuteBody(path, code))});
}

}  // namespace trelvo
