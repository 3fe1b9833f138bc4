#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The recorder's own reading and writing of the update protocol's bytes,
// written apart from the tool's wire-format code so that a slip in either
// shows against the other. Every message is an 18-byte header of
// little-endian numbers at fixed offsets, then bodyLength body bytes;
// request bodies are records (u16 data length, u16 tag, the data) ended by
// a record of length 0 and tag 0xFFFF.
namespace trelvo::recorder_wire {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t HEADER_SIZE = 18;
inline constexpr std::uint16_t LEAD = 4;
inline constexpr std::uint16_t MAGIC = 0xFCE2;

inline constexpr std::uint16_t CMD_PASSWORD = 1;
inline constexpr std::uint16_t CMD_GET_VERSION = 2;
inline constexpr std::uint16_t CMD_FILE_DESCRIPTOR = 5;
inline constexpr std::uint16_t CMD_EXECUTE_UPDATE = 16;

// The `value` field: the version query per link, the access a password gives.
inline constexpr std::uint32_t VERSION_QUERY_NETWORK = 4;
inline constexpr std::uint32_t VERSION_QUERY_SERIAL = 7;
inline constexpr std::uint32_t ACCESS_ADMIN = 3;

inline constexpr std::uint16_t STATUS_OK = 1;
inline constexpr std::uint16_t STATUS_BAD_UPDATE_CODE = 3;
inline constexpr std::uint16_t STATUS_BAD_UPDATE_FILE = 16;
inline constexpr std::uint16_t STATUS_UPDATE_FAILED = 17;

inline constexpr std::uint16_t TAG_REMOTE_PATH = 1;
inline constexpr std::uint16_t TAG_FILE_SIZE = 2;
inline constexpr std::uint16_t TAG_EXECUTE_ARG = 2173;
inline constexpr std::uint16_t TAG_END = 0xFFFF;
inline constexpr std::uint16_t ARG_REMOTE_PATH = 1;
inline constexpr std::uint16_t ARG_UPDATE_CODE = 2;

// The most data bytes a record's 16-bit length can announce.
inline constexpr std::size_t MAX_RECORD_DATA = 0xFFFF;

// Numbers at a byte offset, low byte first; the caller keeps them in range.
std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset);
void AppendU32(Bytes& out, std::uint32_t value);

// A received request header field by field, with the checksum its sender
// should have written: the 16-bit sum of header bytes 0 to 15.
struct RequestHeader {
    std::uint16_t lead = 0;
    std::uint16_t command = 0;
    std::uint16_t magic = 0;
    std::uint16_t status = 0;
    std::uint32_t value = 0;
    std::uint32_t bodyLength = 0;
    std::uint16_t checksum = 0;
    std::uint16_t expectedChecksum = 0;
};

// Reads the HEADER_SIZE bytes at the start of `bytes`.
RequestHeader ReadRequestHeader(std::span<const std::uint8_t> bytes);

// A reply as it goes on the wire: the header (lead, the request's command,
// magic, status, value, body length, checksum of bytes 0 to 15), then the body.
Bytes ReplyBytes(std::uint16_t command, std::uint16_t status, std::uint32_t value,
                 std::span<const std::uint8_t> body);

}  // namespace trelvo::recorder_wire
