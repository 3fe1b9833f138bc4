#include "job/wire_format.h"

#include <algorithm>
#include <numeric>

namespace trelvo {

void PutU16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value) {
    PutU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t GetU16(const std::uint8_t* in) {
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

std::uint32_t GetU32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(GetU16(in)) |
           (static_cast<std::uint32_t>(GetU16(in + 2)) << 16);
}

namespace {

std::uint16_t ByteSum(const MessageHeader::Wire& bytes) {
    return static_cast<std::uint16_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

}  // namespace

MessageHeader::Wire MessageHeader::ToBytes() const {
    Bytes out;
    out.reserve(HEADER_SIZE);
    PutU16(out, lead);
    PutU16(out, command);
    PutU16(out, magic);
    PutU16(out, status);
    PutU32(out, value);
    PutU32(out, bodyLength);
    PutU16(out, checksum);
    Wire wire{};
    std::copy(out.begin(), out.end(), wire.begin());
    return wire;
}

MessageHeader MessageHeader::FromBytes(const Wire& bytes) {
    MessageHeader header;
    header.lead = GetU16(&bytes[0]);
    header.command = GetU16(&bytes[2]);
    header.magic = GetU16(&bytes[4]);
    header.status = GetU16(&bytes[6]);
    header.value = GetU32(&bytes[8]);
    header.bodyLength = GetU32(&bytes[12]);
    header.checksum = GetU16(&bytes[16]);
    return header;
}

void MessageHeader::FillHeader(std::uint16_t leadField, std::uint16_t commandField,
                               std::uint32_t valueField, std::uint32_t bodyLengthField) {
    lead = leadField;
    command = commandField;
    magic = HEADER_MAGIC;
    status = 0;
    value = valueField;
    bodyLength = bodyLengthField;
    checksum = HeaderChecksum(*this);
}

std::uint16_t HeaderChecksum(const MessageHeader& header) {
    MessageHeader withoutSum = header;
    withoutSum.checksum = 0;
    return ByteSum(withoutSum.ToBytes());
}

bool MessageHeader::ValidateReply() {
    const std::uint16_t sum = ByteSum(ToBytes());
    checksum = sum;
    return sum != 0 && status == STATUS_OK;
}

ParamRecord ParamRecord::Text(std::uint16_t tag, std::string_view text) {
    ParamRecord record{tag, Bytes(text.begin(), text.end())};
    record.data.push_back(0);
    return record;
}

ParamRecord ParamRecord::U32(std::uint16_t tag, std::uint32_t value) {
    ParamRecord record{tag, {}};
    PutU32(record.data, value);
    return record;
}

ParamRecord ParamRecord::End() {
    return ParamRecord{TAG_END, {}};
}

void ParamRecord::AppendTo(Bytes& body) const {
    PutU16(body, static_cast<std::uint16_t>(data.size()));
    PutU16(body, tag);
    body.insert(body.end(), data.begin(), data.end());
}

Bytes BuildFileDescriptorBody(std::string_view remotePath, std::uint32_t fileSize) {
    Bytes body;
    ParamRecord::Text(TAG_REMOTE_PATH, remotePath).AppendTo(body);
    ParamRecord::U32(TAG_FILE_SIZE, fileSize).AppendTo(body);
    ParamRecord::End().AppendTo(body);
    return body;
}

namespace {

// A record's length and tag.
constexpr std::size_t kRecordHead = 4;

void AppendArgument(Bytes& body, std::uint16_t argumentId, std::string_view text) {
    PutU16(body, static_cast<std::uint16_t>(text.size() + EXECUTE_ARGUMENT_EXTRA));
    PutU16(body, TAG_EXECUTE_ARG);
    PutU16(body, argumentId);
    body.insert(body.end(), text.begin(), text.end());
    body.push_back(0);
}

}  // namespace

Bytes BuildExecuteBody(std::string_view remotePath, std::string_view updateCode) {
    Bytes body;
    body.reserve(3 * kRecordHead + 2 * EXECUTE_ARGUMENT_EXTRA + remotePath.size() +
                 updateCode.size());
    AppendArgument(body, ARG_REMOTE_PATH, remotePath);
    AppendArgument(body, ARG_UPDATE_CODE, updateCode);
    ParamRecord::End().AppendTo(body);
    return body;
}

}  // namespace trelvo
