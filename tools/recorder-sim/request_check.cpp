#include "tools/recorder-sim/request_check.h"

#include <cstdio>
#include <vector>

namespace trelvo {
namespace {

namespace wire = recorder_wire;

struct RecordView {
    std::uint16_t tag = 0;
    std::span<const std::uint8_t> data;
};

// Splits a body into its records; the terminator must end it exactly.
std::optional<std::vector<RecordView>> SplitRecords(std::span<const std::uint8_t> body) {
    std::vector<RecordView> records;
    std::size_t at = 0;
    while (body.size() - at >= 4) {
        const std::uint16_t length = wire::ReadU16(body, at);
        const std::uint16_t tag = wire::ReadU16(body, at + 2);
        at += 4;
        if (tag == wire::TAG_END && length == 0) {
            if (at != body.size()) {
                return std::nullopt;
            }
            return records;
        }
        if (body.size() - at < length) {
            return std::nullopt;
        }
        records.push_back({tag, body.subspan(at, length)});
        at += length;
    }
    return std::nullopt;
}

// A text stored with its NUL: at least the NUL, and no NUL before it.
std::optional<std::string> NulText(std::span<const std::uint8_t> data) {
    if (data.empty() || data.back() != 0) {
        return std::nullopt;
    }
    std::string text(data.begin(), data.end() - 1);
    if (text.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return text;
}

std::string Hex16(std::uint16_t value) {
    char text[7];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

template <typename Request>
Parsed<Request> Problem(std::string text) {
    return {std::nullopt, std::move(text)};
}

}  // namespace

std::optional<std::string> CheckRequestHeader(const recorder_wire::RequestHeader& header) {
    if (header.lead != wire::LEAD) {
        return "lead " + std::to_string(header.lead) + " is not " + std::to_string(wire::LEAD);
    }
    if (header.magic != wire::MAGIC) {
        return "magic " + Hex16(header.magic) + " is not " + Hex16(wire::MAGIC);
    }
    if (header.status != 0) {
        return "status " + std::to_string(header.status) + " in a request";
    }
    if (header.checksum != header.expectedChecksum) {
        return "checksum " + Hex16(header.checksum) + " is not " + Hex16(header.expectedChecksum);
    }
    switch (header.command) {
        case wire::CMD_GET_VERSION:
        case wire::CMD_PASSWORD:
        case wire::CMD_FILE_DESCRIPTOR:
        case wire::CMD_EXECUTE_UPDATE:
            break;
        default:
            return "unknown command " + std::to_string(header.command);
    }
    const bool valueFits = header.command == wire::CMD_GET_VERSION
                               ? header.value == wire::VERSION_QUERY_NETWORK ||
                                     header.value == wire::VERSION_QUERY_SERIAL
                               : header.value == 0;
    if (!valueFits) {
        return "value " + std::to_string(header.value) + " does not fit command " +
               std::to_string(header.command);
    }
    const bool wantsBody = header.command != wire::CMD_GET_VERSION;
    if (wantsBody == (header.bodyLength == 0) || header.bodyLength > MAX_REQUEST_BODY) {
        return "body length " + std::to_string(header.bodyLength) + " does not fit command " +
               std::to_string(header.command);
    }
    return std::nullopt;
}

Parsed<std::string> ParsePasswordBody(std::span<const std::uint8_t> body) {
    std::optional<std::string> password = NulText(body);
    if (!password) {
        return Problem<std::string>("password body is not one text ended by its NUL");
    }
    return {std::move(password), {}};
}

Parsed<FileDescriptorRequest> ParseFileDescriptorBody(std::span<const std::uint8_t> body) {
    const std::optional<std::vector<RecordView>> records = SplitRecords(body);
    if (!records) {
        return Problem<FileDescriptorRequest>("file descriptor records are cut short or overrun");
    }
    std::optional<std::string> path;
    std::optional<std::uint32_t> size;
    for (const RecordView& record : *records) {
        if (record.tag == wire::TAG_REMOTE_PATH && !path) {
            path = NulText(record.data);
            if (!path || path->empty()) {
                return Problem<FileDescriptorRequest>("file descriptor path is not a text");
            }
        } else if (record.tag == wire::TAG_FILE_SIZE && !size && record.data.size() == 4) {
            size = wire::ReadU32(record.data, 0);
        } else {
            return Problem<FileDescriptorRequest>("unexpected file descriptor record, tag " +
                                                  std::to_string(record.tag));
        }
    }
    if (!path || !size) {
        return Problem<FileDescriptorRequest>("file descriptor lacks the path or the size");
    }
    return {FileDescriptorRequest{std::move(*path), *size}, {}};
}

Parsed<ExecuteRequest> ParseExecuteBody(std::span<const std::uint8_t> body) {
    const std::optional<std::vector<RecordView>> records = SplitRecords(body);
    if (!records) {
        return Problem<ExecuteRequest>("execute records are cut short or overrun");
    }
    std::optional<std::string> path;
    std::optional<std::string> code;
    for (const RecordView& record : *records) {
        if (record.tag != wire::TAG_EXECUTE_ARG || record.data.size() < 2) {
            return Problem<ExecuteRequest>("unexpected execute record, tag " +
                                           std::to_string(record.tag));
        }
        const std::uint16_t argument = wire::ReadU16(record.data, 0);
        std::optional<std::string>* slot = argument == wire::ARG_REMOTE_PATH   ? &path
                                           : argument == wire::ARG_UPDATE_CODE ? &code
                                                                               : nullptr;
        if (slot == nullptr || *slot) {
            return Problem<ExecuteRequest>("unexpected or repeated execute argument " +
                                           std::to_string(argument));
        }
        *slot = NulText(record.data.subspan(2));
        if (!*slot) {
            return Problem<ExecuteRequest>("execute argument " + std::to_string(argument) +
                                           " is not a text");
        }
    }
    if (!path || !code) {
        return Problem<ExecuteRequest>("execute request lacks the path or the update code");
    }
    return {ExecuteRequest{std::move(*path), std::move(*code)}, {}};
}

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out.push_back(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

}  // namespace trelvo
