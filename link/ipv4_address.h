#pragma once

// Both platforms' socket calls share the Berkeley names for IPv4; only
// the headers that declare them differ.
#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

#include <cstdint>
#include <optional>
#include <string>

namespace trelvo {

// The socket address of an IPv4 address in network byte order and a port.
sockaddr_in Ipv4SocketAddress(std::uint32_t address, std::uint16_t port);

// A dotted IPv4 address in network byte order, or none.
std::optional<std::uint32_t> ParseDottedIpv4(const std::string& host);

// The first IPv4 address, in network byte order, that the system's
// resolver gives for a name; nothing when it gives none. Blocks while the
// resolver asks, so it runs on a lookup thread.
std::optional<std::uint32_t> LookUpIpv4(const std::string& host);

}  // namespace trelvo
