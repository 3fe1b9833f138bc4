#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/recorder-sim/recorder_wire.h"

// How a recorder checks what a client sends it: the request header and the
// bodies of the four requests. Each check names what is wrong in words fit
// for a log line, or returns nothing when the request is well formed.
namespace trelvo {

// No request body is larger than two full records and the terminator.
inline constexpr std::uint32_t MAX_REQUEST_BODY = 2 * (4 + recorder_wire::MAX_RECORD_DATA) + 4;

// Lead, magic, status 0, checksum, a known command with its value, and a
// body length the command allows.
std::optional<std::string> CheckRequestHeader(const recorder_wire::RequestHeader& header);

struct FileDescriptorRequest {
    std::string remotePath;
    std::uint32_t fileSize = 0;
};

struct ExecuteRequest {
    std::string remotePath;
    std::string updateCode;
};

template <typename Request>
struct Parsed {
    std::optional<Request> request;
    std::string problem;  // set when request is empty
};

// The password body: the text and exactly one NUL, at its end.
Parsed<std::string> ParsePasswordBody(std::span<const std::uint8_t> body);
Parsed<FileDescriptorRequest> ParseFileDescriptorBody(std::span<const std::uint8_t> body);
Parsed<ExecuteRequest> ParseExecuteBody(std::span<const std::uint8_t> body);

// The text with every byte outside printable ASCII written as \xNN, so a
// name from the wire cannot break a log line.
std::string Printable(std::string_view text);

}  // namespace trelvo
