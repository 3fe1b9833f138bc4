#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The update protocol's bytes: every message is an 18-byte header followed by
// exactly bodyLength body bytes, all numbers little-endian. Everything here is
// serialised byte by byte, so host byte order and struct padding never matter.
namespace trelvo {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t HEADER_SIZE = 18;
inline constexpr std::uint16_t HEADER_LEAD = 4;
inline constexpr std::uint16_t HEADER_MAGIC = 0xFCE2;

// Requests (the `command` field).
inline constexpr std::uint16_t CMD_PASSWORD = 1;
inline constexpr std::uint16_t CMD_GET_VERSION = 2;
inline constexpr std::uint16_t CMD_FILE_DESCRIPTOR = 5;
inline constexpr std::uint16_t CMD_EXECUTE_UPDATE = 16;

// The `value` field: version query per link, access level in password replies.
inline constexpr std::uint32_t VERSION_QUERY_NETWORK = 4;
inline constexpr std::uint32_t VERSION_QUERY_SERIAL = 7;
inline constexpr std::uint32_t ACCESS_ADMIN = 3;

// Reply status codes.
inline constexpr std::uint16_t STATUS_OK = 1;
inline constexpr std::uint16_t STATUS_BAD_UPDATE_CODE = 3;
inline constexpr std::uint16_t STATUS_BAD_UPDATE_FILE = 16;
inline constexpr std::uint16_t STATUS_UPDATE_FAILED = 17;
inline constexpr std::uint16_t STATUS_VERSION_NOT_UPDATABLE = 18;

// Record tags and execute-argument ids.
inline constexpr std::uint16_t TAG_REMOTE_PATH = 1;
inline constexpr std::uint16_t TAG_FILE_SIZE = 2;
inline constexpr std::uint16_t TAG_EXECUTE_ARG = 2173;
inline constexpr std::uint16_t TAG_END = 0xFFFF;
inline constexpr std::uint16_t ARG_REMOTE_PATH = 1;
inline constexpr std::uint16_t ARG_UPDATE_CODE = 2;

// Where the recorder stores the update file; its name follows.
inline constexpr std::string_view REMOTE_DIR = "/tmp/";

// Largest number of data bytes one record's 16-bit length can describe.
inline constexpr std::size_t MAX_RECORD_DATA = 0xFFFF;
// An execute argument's data beyond its text: a two-byte id and the NUL.
inline constexpr std::size_t EXECUTE_ARGUMENT_EXTRA = 3;

void PutU16(Bytes& out, std::uint16_t value);
void PutU32(Bytes& out, std::uint32_t value);
std::uint16_t GetU16(const std::uint8_t* in);
std::uint32_t GetU32(const std::uint8_t* in);

struct MessageHeader {
    std::uint16_t lead = 0;
    std::uint16_t command = 0;
    std::uint16_t magic = 0;
    std::uint16_t status = 0;
    std::uint32_t value = 0;
    std::uint32_t bodyLength = 0;
    std::uint16_t checksum = 0;

    using Wire = std::array<std::uint8_t, HEADER_SIZE>;

    Wire ToBytes() const;
    static MessageHeader FromBytes(const Wire& bytes);

    // Fills a request header: magic, status 0 and the checksum over bytes 0 to 15.
    void FillHeader(std::uint16_t leadField, std::uint16_t commandField, std::uint32_t valueField,
                    std::uint32_t bodyLengthField);

    // Accepts a received header exactly when its status is 1 (and it is not
    // all zeros). The received checksum is never compared: the field is
    // overwritten with the sum of the 18 bytes as they arrived.
    bool ValidateReply();
};

// The 16-bit sum of header bytes 0 to 15: what a sender puts in `checksum`.
std::uint16_t HeaderChecksum(const MessageHeader& header);

// One record of a request body: u16 data length, u16 tag, then the data.
// Texts are stored with their NUL, which the length counts.
struct ParamRecord {
    std::uint16_t tag = 0;
    Bytes data;

    static ParamRecord Text(std::uint16_t tag, std::string_view text);
    static ParamRecord U32(std::uint16_t tag, std::uint32_t value);
    // Ends every record list: length 0, tag TAG_END.
    static ParamRecord End();

    // Callers keep data within MAX_RECORD_DATA bytes.
    void AppendTo(Bytes& body) const;
};

// Body of CMD_FILE_DESCRIPTOR: the remote path and the file size.
Bytes BuildFileDescriptorBody(std::string_view remotePath, std::uint32_t fileSize);

// Body of CMD_EXECUTE_UPDATE: the remote path and the update code as
// arguments (u16 argument id, then the text and its NUL). Written into one
// buffer sized once, so the update code is in no other storage; the caller
// wipes it after use.
Bytes BuildExecuteBody(std::string_view remotePath, std::string_view updateCode);

}  // namespace trelvo
