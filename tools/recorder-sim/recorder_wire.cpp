#include "tools/recorder-sim/recorder_wire.h"

#include <algorithm>

namespace trelvo::recorder_wire {
namespace {

// Header field offsets.
constexpr std::size_t AT_LEAD = 0;
constexpr std::size_t AT_COMMAND = 2;
constexpr std::size_t AT_MAGIC = 4;
constexpr std::size_t AT_STATUS = 6;
constexpr std::size_t AT_VALUE = 8;
constexpr std::size_t AT_BODY_LENGTH = 12;
constexpr std::size_t AT_CHECKSUM = 16;

std::uint16_t SumBeforeChecksum(std::span<const std::uint8_t> header) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < AT_CHECKSUM; ++i) {
        sum += header[i];
    }
    return static_cast<std::uint16_t>(sum);
}

void PutU16At(Bytes& out, std::size_t offset, std::uint16_t value) {
    out[offset] = static_cast<std::uint8_t>(value);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32At(Bytes& out, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = (value << 8) | bytes[offset + i];
    }
    return value;
}

void AppendU32(Bytes& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    PutU32At(out, out.size() - 4, value);
}

RequestHeader ReadRequestHeader(std::span<const std::uint8_t> bytes) {
    RequestHeader header;
    header.lead = ReadU16(bytes, AT_LEAD);
    header.command = ReadU16(bytes, AT_COMMAND);
    header.magic = ReadU16(bytes, AT_MAGIC);
    header.status = ReadU16(bytes, AT_STATUS);
    header.value = ReadU32(bytes, AT_VALUE);
    header.bodyLength = ReadU32(bytes, AT_BODY_LENGTH);
    header.checksum = ReadU16(bytes, AT_CHECKSUM);
    header.expectedChecksum = SumBeforeChecksum(bytes);
    return header;
}

Bytes ReplyBytes(std::uint16_t command, std::uint16_t status, std::uint32_t value,
                 std::span<const std::uint8_t> body) {
    Bytes out(HEADER_SIZE + body.size(), 0);
    PutU16At(out, AT_LEAD, LEAD);
    PutU16At(out, AT_COMMAND, command);
    PutU16At(out, AT_MAGIC, MAGIC);
    PutU16At(out, AT_STATUS, status);
    PutU32At(out, AT_VALUE, value);
    PutU32At(out, AT_BODY_LENGTH, static_cast<std::uint32_t>(body.size()));
    PutU16At(out, AT_CHECKSUM, SumBeforeChecksum(out));
    std::copy(body.begin(), body.end(), out.begin() + HEADER_SIZE);
    return out;
}

}  // namespace trelvo::recorder_wire
